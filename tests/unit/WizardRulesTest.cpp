#include "webcapture/WizardRules.h"

#include <gtest/gtest.h>

namespace brisko::web {
namespace {

TEST(WizardRules, TheDownloadFolderIsTheOutputFolderAndFourteenDigits) {
  EXPECT_EQ(DownloadFolderFor("c:\\pics\\", 2027, 2, 1, 9, 5, 7), "c:\\pics\\20270201090507\\");
  EXPECT_EQ(DownloadFolderFor("d:\\", 1999, 12, 31, 23, 59, 59), "d:\\19991231235959\\");
}

TEST(WizardRules, ABlankFolderBoxMeansTheDriveRootAndEveryFolderEndsInABackslash) {
  EXPECT_EQ(OutputFolderFrom(""), "c:\\");
  EXPECT_EQ(OutputFolderFrom(" \t "), "c:\\");
  EXPECT_EQ(OutputFolderFrom("  d:\\web  "), "d:\\web\\");
  EXPECT_EQ(OutputFolderFrom("d:\\web\\"), "d:\\web\\");
}

TEST(WizardRules, TheHistoryKnowsAnAddressInAnyCaseAndKeepsItsOrder) {
  const std::vector<std::string> history = HistoryFromText("http://a/\r\n\r\nHost/Page.htm\nlast");
  ASSERT_EQ(history, (std::vector<std::string>{"http://a/", "Host/Page.htm", "last"}));
  EXPECT_TRUE(HistoryHolds(history, "host/page.HTM"));
  EXPECT_FALSE(HistoryHolds(history, "host/page"));
  EXPECT_EQ(HistoryFromText(HistoryText(history)), history);
  EXPECT_TRUE(HistoryFromText("").empty());
}

TEST(WizardRules, TheLinkListHasOneAddressPerLine) {
  EXPECT_EQ(LinkListText({"http://h/a.gif", "http://h/b.png"}), "http://h/a.gif\r\nhttp://h/b.png\r\n");
  EXPECT_EQ(LinkListText({}), "");
}

}  // namespace
}  // namespace brisko::web
