// The custom settings dialog: its lists, loading from the settings file, Default, OK and the
// ways of leaving it without storing.
#include "ui/settings_dlg.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QTest>
#include <map>

#include "fake_ui_services.h"
#include "layout_checks.h"
#include "settings/settings_file.h"
#include "support/settings_env.h"
#include "ui/custom_choices.h"

namespace {

using testing_support::FakeUiServices;
using testing_support::SettingsEnv;

const char* const kKeysInOrder[] = {"Resolution", "FrameRate", "Encoder",      "BitRate",
                                    "SampleRate", "Channel",   "AudioEncoder", "AudioBitRate"};

class SettingsDlgTest : public ::testing::Test {
protected:
    CSettingsDlg& Dlg() {
        if (!dlg_)
            dlg_ = std::make_unique<CSettingsDlg>(nullptr, &services_);
        return *dlg_;
    }
    int Selection(int id) { return Dlg().List(id)->currentIndex(); }
    QPushButton* Button(int id) { return Dlg().findChild<QPushButton*>(QString::number(id)); }
    std::map<std::string, std::string> Stored() {
        std::map<std::string, std::string> values;
        for (const char* key : kKeysInOrder) values[key] = settings::ReadText(key, "(absent)");
        return values;
    }

    SettingsEnv env_;
    FakeUiServices services_;
    std::unique_ptr<CSettingsDlg> dlg_;
};

TEST_F(SettingsDlgTest, ListsHoldTheirEntriesInOrder) {
    const std::map<int, QStringList> entries = {
        {1014, {"240x160", "320x240", "480x272", "480x320", "480x368", "512x384", "640x480"}},
        {1015,
         {"Keep origial frame rate", "12 fps", "15 fps", "20 fps", "23.97 fps", "24 fps", "25 fps",
          "29.97 fps", "30 fps"}},
        {1016, {"FLV Video Encoder"}},
        {1017,
         {"256 kbps", "384 kbps", "512 kbps", "640 kbps", "768 kbps", "900 kbps ", "1500 kbps"}},
        {1018, {"11025 Hz", "22050 Hz", "44100 Hz"}},
        {1019, {"Mp3 Audio Encoder"}},
        {1020, {"mono (1 channel)", "stereo(2 channels)"}},
        {1021, {"64 kbps", "96 kbps", "128 kbps", "160 kbps", "192 kbps", "256 kbps"}},
    };
    for (const auto& [id, texts] : entries) {
        QComboBox* list = Dlg().List(id);
        ASSERT_NE(list, nullptr) << id;
        QStringList shown;
        for (int i = 0; i < list->count(); ++i) shown << list->itemText(i);
        EXPECT_EQ(shown, texts) << id;
        EXPECT_FALSE(list->isEditable()) << id;
    }
    EXPECT_EQ(Dlg().windowTitle(), QStringLiteral("Settings"));
}

TEST_F(SettingsDlgTest, FirstOpeningSelectsTheDefaultsEncodersIncluded) {
    for (const ui::CustomChoice& choice : ui::CustomChoices())
        EXPECT_EQ(Selection(choice.id), choice.defaultIndex) << choice.id;
    EXPECT_FALSE(env_.IniExists());
}

TEST_F(SettingsDlgTest, OpensWithTheStoredChoices) {
    env_.WriteIni(
        "[Settings]\nResolution=6\nFrameRate=8\nEncoder=0\nBitRate=5\nSampleRate=2\n"
        "Channel=0\nAudioEncoder=0\nAudioBitRate=5\n");
    EXPECT_EQ(Selection(1014), 6);
    EXPECT_EQ(Selection(1015), 8);
    EXPECT_EQ(Selection(1016), 0);
    EXPECT_EQ(Selection(1017), 5);
    EXPECT_EQ(Selection(1018), 2);
    EXPECT_EQ(Selection(1020), 0);
    EXPECT_EQ(Selection(1019), 0);
    EXPECT_EQ(Selection(1021), 5);
}

TEST_F(SettingsDlgTest, IndexTheListLacksShowsNoSelectionButAnEncoderShowsItsOnlyEntry) {
    const struct {
        const char* key;
        const char* stored;
        int id;
        int shown;
    } cases[] = {
        {"Resolution", "7", 1014, -1},
        {"Resolution", "-1", 1014, -1},
        {"Resolution", "x", 1014, 0},
        {"Resolution", " 3z", 1014, 3},
        // "-1" is what OK stored while these lists opened empty.
        {"Encoder", "-1", 1016, 0},
        {"AudioEncoder", "5", 1019, 0},
    };
    for (const auto& c : cases) {
        env_.WriteIni(std::string("[Settings]\n") + c.key + "=" + c.stored + "\n");
        CSettingsDlg dlg(nullptr, &services_);
        EXPECT_EQ(dlg.List(c.id)->currentIndex(), c.shown) << c.key << "=" << c.stored;
    }
}

TEST_F(SettingsDlgTest, DefaultSelectsTheDefaultsAndStoresNothing) {
    env_.WriteIni("[Settings]\nResolution=5\nEncoder=3\n");
    const std::string before = env_.Ini();
    QTest::mouseClick(Button(1022), Qt::LeftButton);
    const std::map<int, int> expected = {{1014, 1}, {1015, 1}, {1016, 0}, {1017, 1},
                                         {1018, 1}, {1020, 1}, {1019, 0}, {1021, 1}};
    for (const auto& [id, index] : expected) EXPECT_EQ(Selection(id), index) << id;
    EXPECT_EQ(env_.Ini(), before);
    EXPECT_EQ(Dlg().result(), 0);
}

TEST_F(SettingsDlgTest, OkAtFirstOpeningStoresTheDefaults) {
    Dlg().show();
    QTest::mouseClick(Button(1), Qt::LeftButton);
    const std::map<std::string, std::string> expected = {
        {"Resolution", "1"}, {"FrameRate", "1"}, {"Encoder", "0"},      {"BitRate", "1"},
        {"SampleRate", "1"}, {"Channel", "1"},   {"AudioEncoder", "0"}, {"AudioBitRate", "1"}};
    EXPECT_EQ(Stored(), expected);
    EXPECT_EQ(Dlg().result(), QDialog::Accepted);
    EXPECT_FALSE(Dlg().isVisible());
}

TEST_F(SettingsDlgTest, DefaultThenOkStoresTheDefaults) {
    Dlg().show();
    QTest::mouseClick(Button(1022), Qt::LeftButton);
    QTest::mouseClick(Button(1), Qt::LeftButton);
    const std::map<std::string, std::string> expected = {
        {"Resolution", "1"}, {"FrameRate", "1"}, {"Encoder", "0"},      {"BitRate", "1"},
        {"SampleRate", "1"}, {"Channel", "1"},   {"AudioEncoder", "0"}, {"AudioBitRate", "1"}};
    EXPECT_EQ(Stored(), expected);
}

TEST_F(SettingsDlgTest, OkWritesEveryKeyInOrderAndKeepsTheOthers) {
    env_.WriteIni("[Settings]\nOut Path=/somewhere\nFormat=2\n");
    Dlg().show();
    Dlg().List(1017)->setCurrentIndex(6);
    Dlg().List(1020)->setCurrentIndex(0);
    QTest::keyClick(&Dlg(), Qt::Key_Return);  // OK is the default button

    EXPECT_EQ(settings::ReadText("BitRate", ""), "6");
    EXPECT_EQ(settings::ReadText("Channel", ""), "0");
    EXPECT_EQ(settings::ReadText("Out Path", ""), "/somewhere");
    EXPECT_EQ(settings::ReadText("Format", ""), "2");
    const std::string ini = env_.Ini();
    std::size_t previous = 0;
    for (const char* key : kKeysInOrder) {
        const std::size_t at = ini.find(std::string("\n") + key + "=");
        ASSERT_NE(at, std::string::npos) << key;
        EXPECT_GT(at, previous) << key;
        previous = at;
    }
}

TEST_F(SettingsDlgTest, CancelEscapeAndCloseBoxStoreNothing) {
    env_.WriteIni("[Settings]\nResolution=4\n");
    const std::string before = env_.Ini();
    {
        CSettingsDlg dlg(nullptr, &services_);
        dlg.show();
        dlg.OnDefault();
        QTest::mouseClick(dlg.findChild<QPushButton*>(QStringLiteral("2")), Qt::LeftButton);
        EXPECT_EQ(dlg.result(), QDialog::Rejected);
        EXPECT_FALSE(dlg.isVisible());
    }
    {
        CSettingsDlg dlg(nullptr, &services_);
        dlg.show();
        dlg.OnDefault();
        QTest::keyClick(&dlg, Qt::Key_Escape);
        EXPECT_EQ(dlg.result(), QDialog::Rejected);
        EXPECT_FALSE(dlg.isVisible());
    }
    {
        CSettingsDlg dlg(nullptr, &services_);
        dlg.show();
        dlg.OnDefault();
        EXPECT_TRUE(dlg.close());
        EXPECT_EQ(dlg.result(), QDialog::Rejected);
    }
    EXPECT_EQ(env_.Ini(), before);
}

TEST_F(SettingsDlgTest, FailedSaveIsReportedAndTheDialogStaysOpen) {
    // The configuration folder is a file, so the settings file cannot be written.
    testing_support::WriteFile(env_.ConfigHome() + "/vantrel", "in the way");
    Dlg().show();
    QTest::mouseClick(Button(1), Qt::LeftButton);
    ASSERT_EQ(services_.told.size(), 1u);
    EXPECT_EQ(services_.told[0].caption, QStringLiteral("Error"));
    EXPECT_TRUE(services_.told[0].text.contains(QStringLiteral("could not be saved")));
    EXPECT_TRUE(Dlg().isVisible());
    EXPECT_NE(Dlg().result(), QDialog::Accepted);
}

TEST_F(SettingsDlgTest, TabOrderAndFirstFocusFollowTheTemplate) {
    QStringList order;
    QWidget* widget = &Dlg();
    do {
        widget = widget->nextInFocusChain();
        if (widget->parentWidget() == &Dlg() && (widget->focusPolicy() & Qt::TabFocus)) {
            order << widget->objectName();
        }
    } while (widget != &Dlg());
    EXPECT_EQ(order, (QStringList{"1", "2", "1014", "1015", "1016", "1017", "1018", "1019", "1020",
                                  "1021", "1022"}));
    EXPECT_TRUE(Button(1)->isDefault());

    Dlg().show();
    QApplication::setActiveWindow(&Dlg());
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Dlg()));
    EXPECT_EQ(QApplication::focusWidget(), Button(1));
}

TEST_F(SettingsDlgTest, EveryTextFitsAndNothingOverlaps) {
    Dlg().show();
    EXPECT_EQ(testing_support::ClippedTexts(Dlg()), QStringList());
    EXPECT_EQ(testing_support::Overlaps(Dlg()), QStringList());
    EXPECT_EQ(Dlg().minimumSize(), Dlg().maximumSize());
}

}  // namespace
