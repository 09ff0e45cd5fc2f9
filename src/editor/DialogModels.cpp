#include "editor/DialogModels.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <stdexcept>

#include "core/Helpers.h"
#include "imageops/ColourAdjust.h"
#include "imageops/Geometric.h"
#include "imageops/Resample.h"

namespace brisko {

namespace {

std::string_view Trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// Fits `source` into a panel, never enlarging it; returns where it sits.
Rect FitInto(const Bitmap& source, Bitmap& fitted, std::int32_t panelWidth, std::int32_t panelHeight) {
  const Rect place = FitImageRect(source.Width(), source.Height(), panelWidth, panelHeight);
  if (source.IsEmpty() || place.IsEmpty())
    fitted = Bitmap{};
  else
    Resample(source, fitted, place.Width(), place.Height());
  return place;
}

}  // namespace

DialogResult DialogResult::Apply(std::function<void(ImageView&)> edit) {
  return {Kind::Apply, std::move(edit), {}};
}
DialogResult DialogResult::Nothing() { return {Kind::Nothing, {}, {}}; }
DialogResult DialogResult::StayOpen(std::string message) { return {Kind::StayOpen, {}, std::move(message)}; }

// ---------------------------------------------------------------- numbers

std::optional<double> ReadNumber(std::string_view text, const NumberRange& range) {
  std::string number(Trimmed(text));
  if (range.decimals > 0) std::replace(number.begin(), number.end(), ',', '.');
  // Only a sign, digits and, where the field has decimals, one point: no
  // exponents, no "inf", no hexadecimal.
  std::size_t at = number.empty() || (number[0] != '-' && number[0] != '+') ? 0 : 1;
  std::size_t digits = 0, points = 0;
  for (std::size_t i = at; i < number.size(); ++i) {
    if (number[i] >= '0' && number[i] <= '9')
      ++digits;
    else if (number[i] == '.' && range.decimals > 0)
      ++points;
    else
      return std::nullopt;
  }
  if (digits == 0 || points > 1) return std::nullopt;
  if (number[0] == '+') number.erase(0, 1);
  double value = 0;
  const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
  if (error != std::errc{} || end != number.data() + number.size()) return std::nullopt;
  // A little slack, so that a typed "5.00" is not lost to rounding.
  const double slack = range.decimals > 0 ? 1e-9 : 0.0;
  if (value < range.minimum - slack || value > range.maximum + slack) return std::nullopt;
  return value;
}

std::string RangeMessage(const NumberRange& range) {
  return std::string(range.field) + (range.decimals > 0 ? " must be a number from " : " must be a whole number from ") +
         NumberText(range.minimum, range.decimals) + " to " + NumberText(range.maximum, range.decimals) + ".";
}

std::string OversizeMessage(std::int64_t width, std::int64_t height) {
  const bool tooWide = width > kMaxBitmapSide || height > kMaxBitmapSide;
  if (!tooWide && width > 0 && height > 0 &&
      StrideFor(static_cast<std::int32_t>(width), PixelFormat::Bgr24) * static_cast<std::size_t>(height) <=
          kMaxBitmapBytes)
    return {};
  return "A picture of " + std::to_string(width) + " x " + std::to_string(height) +
         " pixels is larger than the editor can hold (at most " + std::to_string(kMaxBitmapSide) +
         " pixels a side and " + std::to_string(kMaxBitmapBytes >> 20) + " MB).";
}

// --------------------------------------------------------------- previews

void PreviewPair::Prepare(const Bitmap& source, std::int32_t panelWidth, std::int32_t panelHeight) {
  place_ = FitInto(source, before_, panelWidth, panelHeight);
  Reset();
}

void PreviewPair::Reset() {
  after_.ReshapeForOverwrite(before_.Width(), before_.Height(), before_.Format());
  if (!before_.Palette().empty()) after_.SetPalette(before_.Palette());
  if (before_.ByteSize() > 0) std::memcpy(after_.Data(), before_.Data(), before_.ByteSize());
}

void PreviewPair::Update(const std::function<void(Bitmap& after)>& operation) {
  Reset();
  if (!after_.IsEmpty()) operation(after_);
}

// ----------------------------------------------------------------- Rotate

void RotateModel::Prepare(const Bitmap& source, std::int32_t panelWidth, std::int32_t panelHeight) {
  panelWidth_ = panelWidth;
  panelHeight_ = panelHeight;
  place_ = FitInto(source, proxy_, panelWidth, panelHeight);
  preview_ = proxy_;
}

int RotateModel::TrackPositionFor(long double degrees) {
  // Clamped before converting, so that any typed angle gives a position.
  const long double position = std::trunc(degrees) * 100 + kTrackZero;
  return static_cast<int>(std::clamp<long double>(position, kTrackMinimum, kTrackMaximum));
}

std::string RotateModel::TrackReleased(int position) { return std::to_string((position - kTrackZero) / 100); }

RotateModel::AngleChange RotateModel::AngleTyped(std::string_view text, char decimalSeparator) {
  if (Trimmed(text).empty()) return {AngleChange::Kind::BlankToZero, kTrackZero, {}};
  long double degrees = 0;
  try {
    degrees = ParseAngle(text, decimalSeparator);
  } catch (const std::invalid_argument& e) {
    return {AngleChange::Kind::NotANumber, TrackPositionFor(angle_.value_or(0)), e.what()};
  }
  angle_ = degrees;
  angleBackground_ = background_;
  if (!proxy_.IsEmpty()) {
    RotateAngle(proxy_, turned_, background_, degrees);
    place_ = FitInto(turned_, preview_, panelWidth_, panelHeight_);
  }
  return {AngleChange::Kind::Previewed, TrackPositionFor(degrees), {}};
}

DialogResult RotateModel::Accept() const {
  if (!angle_ || *angle_ == 0) return DialogResult::Nothing();
  return DialogResult::Apply([degrees = *angle_, background = angleBackground_](ImageView& view) {
    Bitmap turned;
    RotateAngle(view.Picture(), turned, background, degrees);
    view.SetPicture(std::move(turned));
  });
}

// ------------------------------------------------------------ Canvas size

void CanvasSizeModel::SetAnchor(int tag) {
  if (tag >= 1 && tag <= 9) anchor_ = tag;
}

DialogResult CanvasSizeModel::Accept(std::string_view widthText, std::string_view heightText) const {
  const auto width = ReadNumber(widthText, kWidth);
  if (!width) return DialogResult::StayOpen(RangeMessage(kWidth));
  const auto height = ReadNumber(heightText, kHeight);
  if (!height) return DialogResult::StayOpen(RangeMessage(kHeight));
  const auto w = static_cast<std::int32_t>(*width), h = static_cast<std::int32_t>(*height);
  if (std::string why = OversizeMessage(w, h); !why.empty()) return DialogResult::StayOpen(std::move(why));
  return DialogResult::Apply([w, h, anchor = anchor_](ImageView& view) { ResizeCanvas(view, w, h, anchor); });
}

// ------------------------------------------------------------------ Scale

ScaleModel::ScaleModel(std::int32_t width, std::int32_t height)
    : OrigWidth(width), OrigHeight(height), NewWidth(width), NewHeight(height) {}

std::string ScaleModel::ShownLabel() const { return std::to_string(OrigWidth) + " X " + std::to_string(OrigHeight); }
std::string ScaleModel::FinalLabel() const { return std::to_string(NewWidth) + "X" + std::to_string(NewHeight); }

namespace {

std::int64_t TypedValue(std::string_view text) { return ParseDecimal(Trimmed(text)).value_or(0); }

// The percentage a size is of the original side; an empty original (the
// view of an unreadable file) has none.
std::int64_t PercentOf(std::int64_t size, std::int32_t orig) { return orig == 0 ? 0 : size * 100 / orig; }

}  // namespace

std::string ScaleModel::EditTextFor(const Side& side) {
  return std::to_string(side.unit == SizeUnit::Percentage ? PercentOf(side.newSize, side.orig) : side.newSize);
}

std::optional<std::string> ScaleModel::SideTyped(Side typed, Side other, std::string_view text) {
  const std::int64_t value = TypedValue(text);
  typed.newSize = typed.unit == SizeUnit::Percentage ? value * typed.orig / 100 : value;
  if (!KeepAspect) return std::nullopt;
  const std::int64_t percent = PercentOf(typed.newSize, typed.orig);
  other.newSize = other.orig * percent / 100;
  return std::to_string(other.unit == SizeUnit::Pixels ? other.newSize : percent);
}

std::optional<std::string> ScaleModel::WidthTyped(std::string_view text) {
  return SideTyped(WidthSide(), HeightSide(), text);
}
std::optional<std::string> ScaleModel::HeightTyped(std::string_view text) {
  return SideTyped(HeightSide(), WidthSide(), text);
}

std::string ScaleModel::WidthUnitChosen(SizeUnit unit) {
  WidthUnit = unit;
  return EditTextFor(WidthSide());
}
std::string ScaleModel::HeightUnitChosen(SizeUnit unit) {
  HeightUnit = unit;
  return EditTextFor(HeightSide());
}

std::array<std::string, 2> ScaleModel::Defaults() {
  NewWidth = OrigWidth;
  NewHeight = OrigHeight;
  return {EditTextFor(WidthSide()), EditTextFor(HeightSide())};
}

DialogResult ScaleModel::Accept(std::string_view widthText, std::string_view heightText, bool smooth) const {
  std::int64_t sizes[2] = {};
  const std::string_view texts[2] = {widthText, heightText};
  const SizeUnit units[2] = {WidthUnit, HeightUnit};
  const std::int32_t origs[2] = {OrigWidth, OrigHeight};
  for (int i = 0; i < 2; ++i) {
    const std::string_view text = Trimmed(texts[i]);
    const auto value = ParseDecimal(text);
    if (!text.empty() && !value) return DialogResult::StayOpen("'" + std::string(text) + "' is not a whole number.");
    sizes[i] = units[i] == SizeUnit::Percentage ? value.value_or(0) * origs[i] / 100 : value.value_or(0);
  }
  // A zero or negative size, typed or computed, keeps the dialog open as
  // a zero entry does: there is no empty picture to scale to.
  if (sizes[0] <= 0 || sizes[1] <= 0) return DialogResult::StayOpen();
  if (std::string why = OversizeMessage(sizes[0], sizes[1]); !why.empty())
    return DialogResult::StayOpen(std::move(why));
  return DialogResult::Apply([w = static_cast<std::int32_t>(sizes[0]), h = static_cast<std::int32_t>(sizes[1]),
                              smooth](ImageView& view) { ScaleImage(view, w, h, smooth); });
}

// -------------------------------------------------------------------- RGB

void RgbModel::Prepare(const Bitmap& source, std::int32_t panelWidth, std::int32_t panelHeight) {
  previews_.Prepare(source, panelWidth, panelHeight);
}

std::optional<int> RgbModel::ChannelTyped(int channel, std::string_view text) {
  if (channel < 1 || channel > 3) return std::nullopt;
  const auto value = ReadNumber(text, kChannels[static_cast<std::size_t>(channel - 1)]);
  if (!value) return std::nullopt;
  offsets_[static_cast<std::size_t>(channel - 1)] = static_cast<int>(*value);
  ApplyOffsets();
  return static_cast<int>(*value);
}

void RgbModel::ApplyOffsets() {
  previews_.Update([this](Bitmap& after) {
    for (int channel = 1; channel <= 3; ++channel)
      if (const int amount = offsets_[static_cast<std::size_t>(channel - 1)]; amount != 0)
        AdjustRGB(after, after, channel, amount);
  });
}

void RgbModel::Defaults() {
  offsets_ = {};
  previews_.Reset();
}

DialogResult RgbModel::Accept(std::span<const std::string, 3> texts) const {
  std::array<int, 3> amounts{};
  for (std::size_t i = 0; i < 3; ++i) {
    const auto value = ReadNumber(texts[i], kChannels[i]);
    if (!value) return DialogResult::StayOpen(RangeMessage(kChannels[i]));
    amounts[i] = static_cast<int>(*value);
  }
  if (amounts == std::array<int, 3>{}) return DialogResult::Nothing();
  return DialogResult::Apply([amounts](ImageView& view) {
    for (int channel = 1; channel <= 3; ++channel)
      if (const int amount = amounts[static_cast<std::size_t>(channel - 1)]; amount != 0)
        AdjustRGB(view, channel, amount);
  });
}

// ----------------------------------------------------------------- Colors

namespace {

constexpr NumberRange kNoField{"", 0, 0, 0};
constexpr ColorsPageSpec kColorsPages[] = {
    {ColorsPage::Colors, "Colors", kNoField, 0, 0, 0, ""},
    {ColorsPage::Bright, "Bright", {"Bright", -255, 255, 0}, -255, 255, 30, "0"},
    {ColorsPage::Contrast, "Contrast", {"Contrast", 0, 200, 0}, 0, 200, 20, "0"},
    {ColorsPage::Gamma, "Gamma", {"Gamma", 0.01, 5.00, 2}, 1, 500, 30, "0.01"},
    {ColorsPage::Saturation, "Saturation", {"Saturation", 0, 510, 0}, 0, 510, 30, "255"},
    {ColorsPage::Hue, "Hue", kNoField, 0, 0, 0, ""},
};

constexpr std::string_view kColorFormats[] = {
    "True color   (32-Bit)", "True color   (24-Bit)", "High color   (16-Bit)",
    "256  color   (8-Bit)",  "16    color   (4-Bit)", "2      color   (1-Bit)",
};

}  // namespace

std::span<const ColorsPageSpec> ColorsPages() { return kColorsPages; }
std::span<const std::string_view> ColorFormatChoices() { return kColorFormats; }

ColorsModel::ColorsModel(std::string_view colorsKind) {
  const auto found = std::find_if(std::begin(kColorsPages), std::end(kColorsPages),
                                  [&](const ColorsPageSpec& p) { return p.name == colorsKind; });
  if (found == std::end(kColorsPages))
    throw std::invalid_argument("There is no colour page named '" + std::string(colorsKind) + "'.");
  page_ = &*found;
}

std::string ColorsModel::Caption() const { return "Set " + std::string(page_->name); }

void ColorsModel::Prepare(const Bitmap& source, std::int32_t panelWidth, std::int32_t panelHeight) {
  previews_.Prepare(source, panelWidth, panelHeight);
}

int ColorsModel::PositionFor(double value) const {
  // Hundredths for gamma; the nudge keeps 0.29 from becoming 28.
  if (page_->page == ColorsPage::Gamma) return static_cast<int>(std::trunc(value * 100 + 1e-7));
  return static_cast<int>(value);
}

std::optional<int> ColorsModel::ValueTyped(std::string_view text) {
  const ColorsPage page = page_->page;
  if (page == ColorsPage::Colors || page == ColorsPage::Hue) return std::nullopt;
  const auto value = ReadNumber(text, page_->range);
  if (!value) return std::nullopt;
  const int position = PositionFor(*value);
  previews_.Update([&](Bitmap& after) {
    switch (page) {
      case ColorsPage::Bright: AdjustBrightness(after, after, position); break;
      case ColorsPage::Contrast: AdjustContrast(after, after, static_cast<int>(*value)); break;
      case ColorsPage::Gamma: AdjustGamma(after, after, position / 100.0); break;
      case ColorsPage::Saturation: AdjustSaturation(after, after, position); break;
      case ColorsPage::Colors:
      case ColorsPage::Hue: break;
    }
  });
  return position;
}

std::string ColorsModel::TrackReleased(int position) const {
  if (page_->page == ColorsPage::Gamma) return NumberText(position / 100.0, 2);
  return std::to_string(position);
}

void ColorsModel::FormatChosen(int index) {
  previews_.Update([index](Bitmap& after) { ReduceColors(after, after, index); });
}

void ColorsModel::HueChosen(std::optional<Colour> colour) {
  previews_.Update([colour](Bitmap& after) {
    if (colour) AdjustHue(after, after, *colour);
  });
}

std::optional<int> ColorsModel::Defaults() {
  previews_.Reset();
  const auto value = ReadNumber(page_->defaultText, page_->range);
  if (!value) return std::nullopt;
  return PositionFor(*value);
}

DialogResult ColorsModel::Accept(std::string_view valueText, int formatIndex, std::optional<Colour> hue) const {
  switch (page_->page) {
    case ColorsPage::Colors:
      if (formatIndex < 0 || formatIndex >= static_cast<int>(std::size(kColorFormats)))
        return DialogResult::StayOpen("Please choose a colour format.");
      return DialogResult::Apply([formatIndex](ImageView& view) { ReduceColors(view, formatIndex); });
    case ColorsPage::Hue:
      if (!hue) return DialogResult::Nothing();
      return DialogResult::Apply([colour = *hue](ImageView& view) { AdjustHue(view, colour); });
    default: break;
  }
  const auto value = ReadNumber(valueText, page_->range);
  if (!value) return DialogResult::StayOpen(RangeMessage(page_->range));
  const double v = *value;
  const int whole = static_cast<int>(v);
  switch (page_->page) {
    case ColorsPage::Bright: return DialogResult::Apply([whole](ImageView& view) { AdjustBrightness(view, whole); });
    case ColorsPage::Contrast: return DialogResult::Apply([whole](ImageView& view) { AdjustContrast(view, whole); });
    case ColorsPage::Gamma: return DialogResult::Apply([v](ImageView& view) { AdjustGamma(view, v); });
    default: return DialogResult::Apply([whole](ImageView& view) { AdjustSaturation(view, whole); });
  }
}

}  // namespace brisko
