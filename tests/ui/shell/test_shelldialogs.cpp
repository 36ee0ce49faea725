// The small windows of the shell: message boxes, file dialogs, the copy window, the
// welcome window and the service card, each answered while it is on screen.
#include "core/prompter.h"
#include "support/modaldriver.h"
#include "support/testsupport.h"
#include "ui/shell/tfrmanimate.h"
#include "ui/shell/tfrmsplash.h"
#include "ui/shell/tfrnamecard.h"
#include "ui/widgets/dialogfilechooser.h"
#include "ui/widgets/messageboxprompter.h"

#include <QAbstractButton>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

using namespace hemu;

class TestShellDialogs : public QObject
{
    Q_OBJECT
private slots:
    void messageBoxes_data();
    void messageBoxes();
    void saveDialogChecksNameThenOverwrite();
    void openDialog();
    void copyWindow();
    void splashAndServiceCard();
};

void TestShellDialogs::messageBoxes_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("buttons");
    QTest::addColumn<QString>("press");
    QTest::addColumn<bool>("answer");
    QTest::newRow("question yes") << int(Prompter::Kind::Question) << "注意" << QStringList({"是", "否"}) << "是" << true;
    QTest::newRow("question no") << int(Prompter::Kind::Question) << "注意" << QStringList({"是", "否"}) << "否" << false;
    QTest::newRow("question escape is no") << int(Prompter::Kind::Question) << "注意" << QStringList({"是", "否"}) << "" << false;
    QTest::newRow("warning") << int(Prompter::Kind::Warning) << "警告" << QStringList({"确定"}) << "确定" << true;
    QTest::newRow("information") << int(Prompter::Kind::Information) << "祝贺" << QStringList({"确定"}) << "确定" << true;
    QTest::newRow("plain") << int(Prompter::Kind::Plain) << "Version 2.0" << QStringList({"确定"}) << "确定" << true;
}

void TestShellDialogs::messageBoxes()
{
    QFETCH(int, kind);
    QFETCH(QString, title);
    QFETCH(QStringList, buttons);
    QFETCH(QString, press);
    QFETCH(bool, answer);
    MessageBoxPrompter prompter;
    QString seenTitle, seenText;
    QStringList seenButtons;
    test::whenModal<QMessageBox>([&](QMessageBox *box) {
        seenTitle = box->windowTitle();
        seenText = box->text();
        for (QAbstractButton *b : box->buttons())
            seenButtons << b->text();
        for (QAbstractButton *b : box->buttons()) {
            if (b->text() == press) {
                QTest::mouseClick(b, Qt::LeftButton);
                return;
            }
        }
        QTest::keyClick(box, Qt::Key_Escape);
    });
    bool result = true;
    switch (Prompter::Kind(kind)) {
    case Prompter::Kind::Question: result = prompter.question("关闭套帐吗？"); break;
    case Prompter::Kind::Warning: prompter.warning("关闭套帐吗？"); break;
    case Prompter::Kind::Information: prompter.information("关闭套帐吗？"); break;
    case Prompter::Kind::Plain: prompter.message("关闭套帐吗？"); break;
    }
    QCOMPARE(seenTitle, title);
    QCOMPARE(seenText, QString("关闭套帐吗？"));
    seenButtons.sort();
    buttons.sort();
    QCOMPARE(seenButtons, buttons);
    QCOMPARE(result, answer);
}

void TestShellDialogs::saveDialogChecksNameThenOverwrite()
{
    test::TempAccountSet set;
    const QString existing = set.file("old.xb");
    test::writeBytes(existing, "old");
    ScriptedPrompter prompter;
    prompter.queueAnswer(false); // do not replace old.xb: the dialog comes back
    DialogFileChooser chooser(prompter);

    // The user types, in turn: the open set's name, an existing file (declines to replace
    // it), the existing file again (replaces it).
    const QStringList typed = {set.path(), existing, set.file("old")};
    QStringList titles, filters, suffixes;
    int shown = 0;
    std::function<void(QFileDialog *)> answer = [&](QFileDialog *dlg) {
        titles << dlg->windowTitle();
        filters << dlg->nameFilters().join(";;");
        suffixes << dlg->defaultSuffix();
        dlg->selectFile(typed.at(shown));
        if (++shown < typed.size())
            test::whenModal<QFileDialog>(answer);
        static_cast<QDialog *>(dlg)->accept();
    };
    test::whenModal<QFileDialog>(answer);
    QStringList refused;
    const QString chosen = chooser.chooseSave("备份", ".xb", [&](const QString &path) {
        if (path != set.path())
            return true;
        refused << path;
        return false;
    });
    QCOMPARE(chosen, existing); // "old" got the default suffix
    QCOMPARE(shown, 3);
    QCOMPARE(refused, QStringList{set.path()});
    QCOMPARE(titles, QStringList({"备份", "备份", "备份"}));
    QCOMPARE(filters.first(), QString("商务文件(*.xb);;所有文件(*.*)"));
    QCOMPARE(suffixes.first(), QString("xb"));
    // The name check comes first: only the existing other file was asked about, twice.
    QCOMPARE(prompter.entries().size(), 2);
    QCOMPARE(prompter.entries().first().kind, Prompter::Kind::Question);
    QVERIFY(prompter.entries().first().text.contains("old.xb"));
    // The chooser only chooses: nothing was written.
    QCOMPARE(test::fileBytes(existing), QByteArray("old"));

    // Cancel gives an empty name and asks nothing.
    prompter.clear();
    test::whenModal<QFileDialog>([](QFileDialog *dlg) { dlg->reject(); });
    QVERIFY(chooser.chooseSave("新建套帐", ".xb", {}).isEmpty());
    QVERIFY(prompter.entries().isEmpty());
}

void TestShellDialogs::openDialog()
{
    test::TempAccountSet set;
    ScriptedPrompter prompter;
    DialogFileChooser chooser(prompter);
    QString title;
    QFileDialog::FileMode mode = QFileDialog::AnyFile;
    test::whenModal<QFileDialog>([&](QFileDialog *dlg) {
        title = dlg->windowTitle();
        mode = dlg->fileMode();
        dlg->selectFile(set.path());
        static_cast<QDialog *>(dlg)->accept();
    });
    QCOMPARE(chooser.chooseOpen("打开套帐"), set.path());
    QCOMPARE(title, QString("打开套帐"));
    QCOMPARE(mode, QFileDialog::ExistingFile);

    // The next dialog starts in the folder of the last choice.
    QString folder;
    test::whenModal<QFileDialog>([&](QFileDialog *dlg) {
        folder = dlg->directory().absolutePath();
        dlg->reject();
    });
    QVERIFY(chooser.chooseOpen("压缩修复").isEmpty());
    QCOMPARE(folder, set.dir());
}

void TestShellDialogs::copyWindow()
{
    TfrmAnimate animate;
    QCOMPARE(animate.objectName(), QString("frmAnimate"));
    QCOMPARE(animate.windowTitle(), QString("正在复制"));
    QVERIFY(!(animate.windowFlags() & Qt::WindowCloseButtonHint));
    ProgressSink &sink = animate;
    sink.begin("正在复制");
    QVERIFY(animate.isVisible());
    auto *bar = animate.findChild<QProgressBar *>();
    QCOMPARE(bar->maximum(), 0); // indeterminate: it moves without a known end
    sink.progress(5'000'000'000LL, 10'000'000'000LL);
    QCOMPARE(bar->value(), 500);
    sink.end();
    QVERIFY(!animate.isVisible());
}

void TestShellDialogs::splashAndServiceCard()
{
    TfrmSplash splash;
    QCOMPARE(splash.windowTitle(), QString("欢迎使用"));
    QStringList labels;
    for (QLabel *label : splash.findChildren<QLabel *>())
        labels << label->text();
    QVERIFY(labels.contains("禾木商务管理"));
    QVERIFY(labels.contains("Version 2.0"));
    auto *service = splash.findChild<QPushButton *>("btnService");
    QCOMPARE(service->text(), QString("服务咨询"));
    QVERIFY(service->isFlat());
    QVERIFY(service->font().underline());

    QString caption, text;
    bool frameless = false, readOnly = false, closedByClick = false;
    test::whenModal<TfrNameCard>([&](TfrNameCard *card) {
        caption = card->windowTitle();
        frameless = card->windowFlags() & Qt::FramelessWindowHint;
        auto *memo = card->findChild<QPlainTextEdit *>();
        readOnly = memo->isReadOnly();
        text = memo->toPlainText();
        QTest::mouseClick(memo->viewport(), Qt::LeftButton);
        closedByClick = !card->isVisible();
        if (!closedByClick)
            card->reject();
    });
    splash.show();
    QTest::mouseClick(service, Qt::LeftButton);
    QCOMPARE(caption, QString("服务联系"));
    QVERIFY(frameless);
    QVERIFY(readOnly);
    QCOMPARE(text, TfrNameCard::contactText());
    QVERIFY(closedByClick);
}

QTEST_MAIN(TestShellDialogs)
#include "test_shelldialogs.moc"
