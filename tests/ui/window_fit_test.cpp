// The main window at its smallest: nothing overlaps, no caption is cut, in either language; the
// user's column widths survive a resize; Qt's own texts follow the language.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QHeaderView>

#include "tests/ui/ui_test_support.h"
#include "ui/about_dlg.h"
#include "ui/point_list_view.h"
#include "ui/qt_translations.h"

namespace {

class WindowFit : public ::testing::Test {
protected:
    PromptScript prompts;
    CQuorvaneDlg window{FastTiming()};
};

TEST_F(WindowFit, AtTheMinimumSizeNothingOverlapsOrIsCut) {
    window.show();
    window.resize(window.minimumSize());
    ASSERT_EQ(window.size(), window.minimumSize());
    const char* names[] = {"serverLabel",  "urlBox",     "connectButton",
                           "optionButton", "filterBox",  "languageButton",
                           "pointList",    "statusLine", "exportButton"};
    for (int toggle = 0; toggle < 2; ++toggle) {
        SCOPED_TRACE(language == 0 ? "Chinese" : "English");
        std::vector<QWidget*> controls;
        for (const char* n : names) {
            auto* w = window.findChild<QWidget*>(QString::fromLatin1(n));
            ASSERT_NE(w, nullptr) << n;
            controls.push_back(w);
            EXPECT_GT(w->width(), 0) << n;
            EXPECT_GE(w->x(), 0) << n;
            EXPECT_LE(w->geometry().bottom(), window.height()) << n;
            // The list runs past the right edge by its left offset, as it always has.
            if (w != &ListView(window)) {
                EXPECT_LE(w->geometry().right(), window.width()) << n;
            }
            if (auto* b = qobject_cast<QPushButton*>(w)) {
                EXPECT_GE(b->width(), b->sizeHint().width())
                    << n << " caption " << b->text().toStdString();
            }
            if (auto* l = qobject_cast<QLabel*>(w); l != nullptr && !l->text().isEmpty()) {
                EXPECT_GE(l->width(), l->sizeHint().width()) << n;
            }
        }
        for (std::size_t i = 0; i < controls.size(); ++i) {
            for (std::size_t j = i + 1; j < controls.size(); ++j) {
                EXPECT_FALSE(controls[i]->geometry().intersects(controls[j]->geometry()))
                    << names[i] << " and " << names[j];
            }
        }
        Click(window, "languageButton");
    }
}

TEST_F(WindowFit, DraggedColumnWidthsSurviveAResize) {
    window.show();
    PointListView& view = ListView(window);
    window.resize(1200, 700);
    EXPECT_NEAR(view.columnWidth(0) * 17, view.ClientWidth(), 17);  // the rule, before any drag
    view.horizontalHeader()->resizeSection(2, 300);                 // as a drag does
    const int first = view.columnWidth(0);
    window.resize(1000, 650);
    EXPECT_EQ(view.columnWidth(2), 300);
    EXPECT_EQ(view.columnWidth(0), first);
}

TEST_F(WindowFit, TheAboutNoticeIsWhole) {
    CAboutDlg about(&window);
    auto* notice = about.findChild<QLabel*>(QStringLiteral("aboutNotice"));
    ASSERT_NE(notice, nullptr);
    EXPECT_GE(notice->width(), notice->sizeHint().width());
    EXPECT_LE(notice->geometry().right(), about.width());
}

TEST_F(WindowFit, QtsOwnTextsFollowTheLanguage) {
    const auto translated = [] {
        return QCoreApplication::translate("QPlatformTheme", "Cancel").toStdString();
    };
    UseQtTranslations(0);
    ASSERT_TRUE(QtTranslationsInstalled()) << "qt6-translations-l10n missing";
    EXPECT_EQ(translated(), "取消");
    Click(window, "languageButton");  // to English
    EXPECT_FALSE(QtTranslationsInstalled());
    EXPECT_EQ(translated(), "Cancel");
    Click(window, "languageButton");
    EXPECT_EQ(translated(), "取消");
    UseQtTranslations(0);
}

}  // namespace
