#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "core/Bitmap.h"
#include "core/Colour.h"
#include "core/Geometry.h"
#include "core/ImageView.h"

// What the editor's adjustment dialogs decide, apart from their windows:
// each model takes the texts typed and the choices made, keeps the live
// preview and says what OK does to the view. The windows only copy texts
// in and out.
namespace brisko {

// What a dialog's OK leads to.
struct DialogResult {
  enum class Kind {
    Apply,     // run `edit` on the editor's view and close
    Nothing,   // close; the view stays as it is
    StayOpen,  // show `message` (when there is one) and keep the dialog open
  };
  Kind kind = Kind::Nothing;
  std::function<void(ImageView&)> edit;
  std::string message;

  static DialogResult Apply(std::function<void(ImageView&)> edit);
  static DialogResult Nothing();
  static DialogResult StayOpen(std::string message = {});
};

// A number field: what it may hold and the name its messages give it.
struct NumberRange {
  std::string_view field;
  double minimum;
  double maximum;
  int decimals;  // digits after the point the field shows; 0 for whole numbers
};
// The typed text as a number of the field: blanks around it are ignored,
// and a field with decimals takes a point or a comma. Nothing for a blank,
// a text that is not a number, a fraction in a whole-number field and a
// number outside the range.
std::optional<double> ReadNumber(std::string_view text, const NumberRange& range);
// "Red must be a whole number from -255 to 255."
std::string RangeMessage(const NumberRange& range);
// Why a 24-bit width x height result cannot be made, or empty when it can:
// checked before anything is allocated.
std::string OversizeMessage(std::int64_t width, std::int64_t height);

// The "Before" and "After" pictures of a dialog. Before is the source
// fitted into the panel once, when the dialog shows; every change starts
// After again from Before in a block that is reused, so a preview step
// never touches the full picture and allocates nothing after the first.
class PreviewPair {
 public:
  void Prepare(const Bitmap& source, std::int32_t panelWidth, std::int32_t panelHeight);
  // After := Before.
  void Reset();
  // After := Before, then `operation` changes After where it is.
  void Update(const std::function<void(Bitmap& after)>& operation);
  const Bitmap& Before() const { return before_; }
  const Bitmap& After() const { return after_; }
  // Where both pictures sit inside their panels.
  const Rect& Place() const { return place_; }

 private:
  Bitmap before_;
  Bitmap after_;
  Rect place_;
};

// --------------------------------------------------------------- Rotate

class RotateModel {
 public:
  static constexpr int kTrackMinimum = 0;
  static constexpr int kTrackMaximum = 72000;
  static constexpr int kTrackZero = 36000;

  // The preview works on a proxy: the source fitted into the panel once.
  // Each angle turns the proxy and fits the result into the panel again,
  // so it looks as the turned full picture would, scaled down.
  void Prepare(const Bitmap& source, std::int32_t panelWidth, std::int32_t panelHeight);

  struct AngleChange {
    enum class Kind {
      BlankToZero,  // the edit must say "0", which changes it again
      NotANumber,   // `message` says so; track bar and preview stay
      Previewed,    // the track bar goes to `position`, the preview changed
    };
    Kind kind;
    int position = kTrackZero;
    std::string message;
  };
  // The angle edit changed to `text`.
  AngleChange AngleTyped(std::string_view text, char decimalSeparator = '.');
  // The edit text for a track bar let go at `position`: whole degrees.
  static std::string TrackReleased(int position);
  // The colour the next angle change turns onto; the preview keeps the one
  // it was made with.
  void SetBackground(Colour colour) { background_ = colour; }
  Colour Background() const { return background_; }

  const Bitmap& Preview() const { return preview_; }
  const Rect& PreviewPlace() const { return place_; }
  // OK: the full picture turned by the angle and onto the background of the
  // last preview; no angle (or 0) leaves the picture alone.
  DialogResult Accept() const;

  static int TrackPositionFor(long double degrees);

 private:
  Bitmap proxy_;
  Bitmap turned_;
  Bitmap preview_;
  Rect place_;
  std::int32_t panelWidth_ = 0;
  std::int32_t panelHeight_ = 0;
  Colour background_ = kWhite;
  std::optional<long double> angle_;
  Colour angleBackground_ = kWhite;
};

// ---------------------------------------------------------- Canvas size

class CanvasSizeModel {
 public:
  static constexpr NumberRange kWidth{"New width", 1, 99999, 0};
  static constexpr NumberRange kHeight{"New height", 1, 99999, 0};

  CanvasSizeModel(std::int32_t width, std::int32_t height) : width_(width), height_(height) {}
  // The edits' and the "Original Size" labels' first texts.
  std::string WidthText() const { return std::to_string(width_); }
  std::string HeightText() const { return std::to_string(height_); }
  // A placement button: 1 top left ... 9 bottom right, row by row.
  void SetAnchor(int tag);
  int CanvasAnchor() const { return anchor_; }
  DialogResult Accept(std::string_view widthText, std::string_view heightText) const;

 private:
  std::int32_t width_;
  std::int32_t height_;
  int anchor_ = 1;
};

// ---------------------------------------------------------------- Scale

enum class SizeUnit { Pixels, Percentage };

class ScaleModel {
 public:
  ScaleModel(std::int32_t width, std::int32_t height);

  std::int32_t OrigWidth;
  std::int32_t OrigHeight;
  // Sizes computed from the edits; 64-bit, since a typed value times the
  // original side does not fit 32 bits.
  std::int64_t NewWidth;
  std::int64_t NewHeight;
  SizeUnit WidthUnit = SizeUnit::Pixels;
  SizeUnit HeightUnit = SizeUnit::Pixels;
  bool KeepAspect = true;

  // The final-size label when the dialog shows ("640 X 480") and after any
  // change ("640X480").
  std::string ShownLabel() const;
  std::string FinalLabel() const;
  // A key let go in the width (height) edit; with the aspect kept, the text
  // the other edit takes.
  std::optional<std::string> WidthTyped(std::string_view text);
  std::optional<std::string> HeightTyped(std::string_view text);
  // A unit list changed: the text its edit takes.
  std::string WidthUnitChosen(SizeUnit unit);
  std::string HeightUnitChosen(SizeUnit unit);
  // "&Default": the width and height edits' texts; the sizes go back.
  std::array<std::string, 2> Defaults();
  DialogResult Accept(std::string_view widthText, std::string_view heightText, bool smooth) const;

 private:
  struct Side {
    std::int64_t& newSize;
    std::int32_t orig;
    SizeUnit& unit;
  };
  Side WidthSide() { return {NewWidth, OrigWidth, WidthUnit}; }
  Side HeightSide() { return {NewHeight, OrigHeight, HeightUnit}; }
  std::optional<std::string> SideTyped(Side typed, Side other, std::string_view text);
  static std::string EditTextFor(const Side& side);
};

// ------------------------------------------------------------------ RGB

class RgbModel {
 public:
  static constexpr std::array<NumberRange, 3> kChannels{
      NumberRange{"Red", -255, 255, 0}, NumberRange{"Green", -255, 255, 0}, NumberRange{"Blue", -255, 255, 0}};

  void Prepare(const Bitmap& source, std::int32_t panelWidth, std::int32_t panelHeight);
  // Channel 1 red, 2 green, 3 blue. When the text is a number of the range,
  // the After preview shows all three offsets and the result is the track
  // bar's position; otherwise nothing changes.
  std::optional<int> ChannelTyped(int channel, std::string_view text);
  // "Set Default Values": offsets 0, After as Before.
  void Defaults();
  DialogResult Accept(std::span<const std::string, 3> texts) const;
  const PreviewPair& Previews() const { return previews_; }

 private:
  void ApplyOffsets();
  std::array<int, 3> offsets_{};
  PreviewPair previews_;
};

// --------------------------------------------------------------- Colors

enum class ColorsPage { Colors, Bright, Contrast, Gamma, Saturation, Hue };

struct ColorsPageSpec {
  ColorsPage page;
  std::string_view name;  // the ColorsKind that shows it
  NumberRange range;      // the value edit; unused by "Colors" and "Hue"
  int trackMinimum;
  int trackMaximum;
  int tickFrequency;
  std::string_view defaultText;
};
std::span<const ColorsPageSpec> ColorsPages();
std::span<const std::string_view> ColorFormatChoices();
inline constexpr int kDefaultColorFormat = 1;

class ColorsModel {
 public:
  // Throws std::invalid_argument for a kind that names no page.
  explicit ColorsModel(std::string_view colorsKind);

  const ColorsPageSpec& Page() const { return *page_; }
  std::string Caption() const;

  void Prepare(const Bitmap& source, std::int32_t panelWidth, std::int32_t panelHeight);
  // The value edit changed: when the text can be previewed, After shows it
  // and the result is the track bar's position; otherwise ("-" while a
  // negative number is typed, a blank, a number out of range) nothing
  // changes.
  std::optional<int> ValueTyped(std::string_view text);
  // The edit text for a track bar let go at `position`.
  std::string TrackReleased(int position) const;
  void FormatChosen(int index);
  void HueChosen(std::optional<Colour> colour);
  // "Set Default": After as Before; the page's control takes its default,
  // and the result is the track bar's position for it (none for the pages
  // without a track bar).
  std::optional<int> Defaults();

  // OK with the page's current control values.
  DialogResult Accept(std::string_view valueText, int formatIndex, std::optional<Colour> hue) const;
  const PreviewPair& Previews() const { return previews_; }

 private:
  // The track bar position for a readable value.
  int PositionFor(double value) const;
  const ColorsPageSpec* page_;
  PreviewPair previews_;
};

}  // namespace brisko
