// The settings dialogs as built from their templates, in both languages: every control where
// the user can reach and read it.

#include "tests/support/RecordingSink.h"
#include "tests/ui_dialogs_support.h"
#include "ui/SettingsDialogs.h"
#include "ui/SettingsTemplates.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

#include <map>
#include <set>

using namespace varnadex;
using namespace varnadex::ui;

namespace {

::testing::Environment* const qtEnvironment =
    ::testing::AddGlobalTestEnvironment(new varnadex::test::QtEnvironment);

struct Case {
    int which;
    const DialogTemplate& (*tmpl)();
    int width, height, hungarianWidth;
};

const Case kCases[] = {
    {kSerialSettingsDialog, serialSettingsTemplate, 324, 94, 324},
    {kAdvancedSettingsDialog, advancedSettingsTemplate, 320, 135, 342},
    {kNetworkSettingsDialog, networkSettingsTemplate, 321, 167, 321},
    {kRemoteConfigDialog, remoteConfigTemplate, 245, 130, 245},
};

// Inside the dialog and the frame, no overlaps, texts whole, every field named by a label on
// its left and on its row, the buttons of a group side by side; measured on the built
// widgets, with the builder's own adjustments (taller labels, closed combo boxes).
TEST(SettingsDialogLayout, CleanInBothLanguages) {
    test::RecordingSink sink;
    const ConverterConfig config;
    for (const Case& k : kCases) {
        // Only language 1 is English.
        EXPECT_EQ(makeSettingsDialogForShots(k.which, 2, sink, config)->windowTitle(),
                  QString::fromUtf8(k.tmpl().hungarianTitle));
        for (const int language : {1, 0}) {
            const auto dialog = makeSettingsDialogForShots(k.which, language, sink, config);
            const auto& d = dynamic_cast<CSettingsDialog&>(*dialog);
            const BuiltDialog& b = d.built();
            SCOPED_TRACE(d.windowTitle().toStdString());
            EXPECT_EQ(d.size(),
                      QSize(b.dluX(language == 1 ? k.width : k.hungarianWidth), b.dluY(k.height)));

            QRect frame;
            std::vector<QWidget*> parts;
            for (QWidget* w : d.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
                if (w->isWindow()) continue;
                EXPECT_TRUE(d.rect().contains(w->geometry())) << w->objectName().toStdString();
                if (qobject_cast<QGroupBox*>(w)) {
                    EXPECT_TRUE(frame.isNull()) << "one frame only";
                    frame = w->geometry();
                } else {
                    parts.push_back(w);
                }
            }
            const QWidget* ok = b.control(kIdOk);
            const QWidget* cancel = b.control(kIdCancel);
            EXPECT_GT(ok->x(), frame.right());
            EXPECT_EQ(ok->y(), frame.y());
            EXPECT_EQ(ok->x(), cancel->x());
            EXPECT_LT(ok->geometry().bottom(), cancel->y());

            for (std::size_t i = 0; i < parts.size(); ++i) {
                QWidget* w = parts[i];
                const std::string name = w->objectName().toStdString();
                if (w != ok && w != cancel) {
                    EXPECT_TRUE(frame.adjusted(2, 2, -2, -2).contains(w->geometry())) << name;
                }
                for (std::size_t j = i + 1; j < parts.size(); ++j)
                    EXPECT_FALSE(w->geometry().intersects(parts[j]->geometry()))
                        << name << " overlaps " << parts[j]->objectName().toStdString();
                if (auto* label = qobject_cast<QLabel*>(w)) {
                    if (label->wordWrap()) {
                        EXPECT_LE(label->heightForWidth(label->width()), label->height()) << name;
                    } else {
                        EXPECT_LE(label->sizeHint().width(), label->width()) << name;
                    }
                    if (QWidget* field = label->buddy()) {
                        EXPECT_LT(label->geometry().right(), field->x()) << name;
                        EXPECT_TRUE(label->y() < field->geometry().bottom() &&
                                    field->y() < label->geometry().bottom())
                            << name << " is not on its field's row";
                    }
                } else if (auto* push = qobject_cast<QPushButton*>(w)) {
                    // A push button's size hint has a style minimum; its text is what counts.
                    EXPECT_LE(push->fontMetrics().horizontalAdvance(push->text()) + 8,
                              push->width());
                } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
                    if (!button->text().isEmpty()) {
                        EXPECT_LE(button->sizeHint().width(), button->width()) << name;
                    }
                }
                // Every field is named, for the keyboard and for screen readers.
                if (w->focusPolicy() != Qt::NoFocus && w != ok && w != cancel &&
                    (!qobject_cast<QAbstractButton*>(w) ||
                     qobject_cast<QAbstractButton*>(w)->text().isEmpty())) {
                    EXPECT_FALSE(w->accessibleName().isEmpty()) << name;
                }
            }

            // The groups' buttons stand in columns: the n-th of every group at one x.
            std::map<qsizetype, std::set<int>> columns;
            for (const ControlTemplate& c : k.tmpl().controls) {
                if (!(c.flags & FirstInGroup)) continue;
                const QList<QAbstractButton*> buttons = b.radioGroup(c.id)->buttons();
                for (qsizetype i = 0; i < buttons.size(); ++i)
                    columns[i].insert(buttons[i]->mapTo(&d, QPoint()).x());
            }
            for (const auto& [n, xs] : columns)
                EXPECT_EQ(xs.size(), 1u) << "column " << n;

            for (const ControlTemplate& c : k.tmpl().controls) {
                if (!(c.flags & FirstInGroup)) continue;
                const QList<QAbstractButton*> buttons = b.radioGroup(c.id)->buttons();
                EXPECT_FALSE(buttons[0]->accessibleName().isEmpty()) << c.id;
                for (qsizetype i = 1; i < buttons.size(); ++i) {
                    EXPECT_EQ(buttons[i]->y(), buttons[0]->y()) << c.id;
                    EXPECT_GT(buttons[i]->x(), buttons[i - 1]->geometry().right()) << c.id;
                }
            }
        }
    }
    EXPECT_TRUE(sink.entries.empty());
}

} // namespace
