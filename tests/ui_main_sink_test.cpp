#include "tests/ui_main_support.h"
#include "ui/QtMessageSink.h"

#include <QMessageBox>
#include <gtest/gtest.h>

namespace varnadex::ui {
namespace {

TEST(QtMessageSink, BoxesLookAsTheirKindSays) {
    struct Row {
        int language;
        MessageKind kind;
        const char* caption;
        QMessageBox::Icon icon;
    };
    for (const Row& r :
         {Row{1, MessageKind::Error, "There is an error", QMessageBox::Warning},
          Row{0, MessageKind::Error, "A művelet során hiba lépett fel", QMessageBox::Warning},
          Row{0, MessageKind::Plain, "varnadex", QMessageBox::NoIcon},
          Row{1, MessageKind::Warning, "varnadex", QMessageBox::Warning}}) {
        SCOPED_TRACE(r.caption);
        MessageCatalogue catalogue;
        catalogue.fill(r.language);
        QWidget owner;
        QtMessageSink sink(catalogue, "varnadex", &owner);
        auto box = sink.makeBox(r.kind, "<b>Done</b>");
        EXPECT_EQ(box->windowTitle(), QString::fromUtf8(r.caption));
        EXPECT_EQ(box->icon(), r.icon);
        EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
        EXPECT_EQ(box->parentWidget(), &owner);
        // A converter's text is shown as it is, never as markup.
        EXPECT_EQ(box->textFormat(), Qt::PlainText);
        EXPECT_EQ(box->text(), "<b>Done</b>");
    }
}

TEST(QtMessageSink, ShowRunsTheBoxAndKeepsTheWaitCursor) {
    MessageCatalogue catalogue;
    catalogue.fill(1);
    QtMessageSink sink(catalogue, "varnadex");
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QString seen;
    Qt::CursorShape during = Qt::BlankCursor;
    test::ModalCloser closer([&](QWidget* modal) {
        seen = static_cast<QMessageBox*>(modal)->text();
        during = QApplication::overrideCursor()->shape();
    });
    sink.show(MessageKind::Plain, "Done");
    EXPECT_EQ(seen, "Done");
    EXPECT_EQ(during, Qt::ArrowCursor);
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    QApplication::restoreOverrideCursor();
}

} // namespace
} // namespace varnadex::ui
