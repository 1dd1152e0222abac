// The export folder: asked for by the first export, kept afterwards, chosen
// through "Export Path...", and the real folder dialog that lets a missing
// folder be typed and created.
#include <filesystem>

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "export_fixture.h"

using namespace tessaron;
using namespace tessaron::testing;
namespace fs = std::filesystem;

namespace {

// An archive of one block with two visible frames.
writer::ArchiveBuilder TwoFrameArchive() {
    writer::ArchiveBuilder builder;
    builder.AddBlock({SolidFrame(8, 8, 0x20), SolidFrame(6, 5, 0x21)});
    return builder;
}

size_t FolderQuestions() { return TestDialogs().AskedFor(ScriptedDialogs::Kind::SelectFolder).size(); }

// Qt's dialogs, with the questions asked on the way answered by the test.
class AnsweredQtDialogs : public QtDialogs {
public:
    std::deque<bool> Answers;
    QStringList Questions;
    bool Ask(QWidget*, const QString& question) override {
        Questions << question;
        if (Answers.empty()) return false;
        const bool yes = Answers.front();
        Answers.pop_front();
        return yes;
    }
};

QDialog* OpenFolderDialog() { return qobject_cast<QDialog*>(QApplication::activeModalWidget()); }

// Runs `steps` one after the other while the folder dialog is open, each on
// a later pass of its event loop.
void WhileDialogOpen(std::vector<std::function<void(QDialog&)>> steps) {
    auto* timer = new QTimer;  // gone once the last step has run
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, steps = std::move(steps), next = size_t(0)]() mutable {
        QDialog* dialog = OpenFolderDialog();
        if (!dialog || next == steps.size()) return;
        steps[next++](*dialog);
        if (next == steps.size()) timer->deleteLater();
    });
    timer->start();
}

void TypeFolder(QDialog& dialog, const QString& text) {
    dialog.findChild<QLineEdit*>("FolderName")->setText(text);
}
void PressOk(QDialog& dialog) {
    dialog.findChild<QDialogButtonBox*>("Buttons")->button(QDialogButtonBox::Ok)->click();
}
void PressCancel(QDialog& dialog) {
    dialog.findChild<QDialogButtonBox*>("Buttons")->button(QDialogButtonBox::Cancel)->click();
}

const QString kCreateQuestion = "The specified directory does not exist. Create it?";

}  // namespace

class ExportFolderTest : public QObject {
    Q_OBJECT

private slots:
    void init() { TestDialogs().Clear(); }

    // Every export command asks for the folder while none is set; cancelling
    // writes nothing and the next command asks again; once set, it is kept.
    void firstExportAsksForTheFolder_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("written");
        QTest::newRow("F5 Export") << int(Qt::Key_F5) << "000_000.bmp";
        QTest::newRow("F6 Export Block") << int(Qt::Key_F6) << "000_000.bmp 000_001.bmp";
        QTest::newRow("F7 Export All") << int(Qt::Key_F7) << "000_000.bmp 000_001.bmp";
        QTest::newRow("F8 Export Raw") << int(Qt::Key_F8) << "000_000.res";
    }
    void firstExportAsksForTheFolder() {
        QFETCH(int, key);
        QFETCH(QString, written);
        TempDir dir, out;
        ExportViewer v;
        v.Open(WriteArchive(dir, TwoFrameArchive()));
        v.SelectBlock(0);
        v.SelectRow(0);
        const auto filesBefore = ListFiles(dir.Path());

        v.Press(Qt::Key(key));  // nothing queued: the folder dialog is cancelled
        QCOMPARE(FolderQuestions(), size_t(1));
        QCOMPARE(TestDialogs().AskedFor(ScriptedDialogs::Kind::SelectFolder)[0].text, QString());
        QVERIFY(v.form.FExportPath.empty());
        QVERIFY(ListFiles(out.Path()).empty());
        QCOMPARE(ListFiles(dir.Path()), filesBefore);
        QCOMPARE(v.form.Passes, 0);  // no progress dialog ran
        QVERIFY(v.form.isEnabled());

        v.Press(Qt::Key(key));  // asks again, and this time a folder is chosen
        QCOMPARE(FolderQuestions(), size_t(2));
        TestDialogs().QueueFolder(QString::fromStdString(out.Path().string()));
        v.Press(Qt::Key(key));
        QCOMPARE(FolderQuestions(), size_t(3));
        QCOMPARE(v.form.FExportPath, out.Folder());
        QStringList names;
        for (const auto& n : ListFiles(out.Path())) names << QString::fromStdString(n);
        QCOMPARE(names.join(' '), written);

        v.Press(Qt::Key(key));  // set now: no more questions
        QCOMPARE(FolderQuestions(), size_t(3));
        QCOMPARE(TestDialogs().Unanswered(), 2);
    }

    void exportPathWorksWithoutArchiveAndNormalises() {
        TempDir dir;
        ExportViewer v;
        const std::string typed = dir.Path().string() + "//new///deeper/";
        TestDialogs().QueueFolder(QString::fromStdString(typed));
        v.form.ExportPath1->trigger();
        QCOMPARE(v.form.FExportPath, dir.Path().string() + "/new/deeper/");
        QVERIFY(fs::is_directory(dir.Path() / "new" / "deeper"));  // made with its parent

        // Cancelling keeps the folder; the dialog opened at it.
        v.form.ExportPath1->trigger();
        const auto asked = TestDialogs().AskedFor(ScriptedDialogs::Kind::SelectFolder);
        QCOMPARE(asked.size(), size_t(2));
        QCOMPARE(asked[1].text, QString::fromStdString(dir.Path().string() + "/new/deeper/"));
        QCOMPARE(v.form.FExportPath, dir.Path().string() + "/new/deeper/");

        // Choosing another folder replaces it.
        TestDialogs().QueueFolder(QString::fromStdString(dir.Path().string()));
        v.form.ExportPath1->trigger();
        QCOMPARE(v.form.FExportPath, dir.Folder());
    }

    void emptyFolderNameIsRefusedAndForgetsTheFolder() {
        TempDir dir;
        ExportViewer v;
        v.form.FExportPath = dir.Folder();
        TestDialogs().QueueFolder(QString());
        v.form.ExportPath1->trigger();
        QCOMPARE(TestDialogs().Messages(), std::vector<QString>{"Unable to create directory"});
        QVERIFY(v.form.FExportPath.empty());
    }

    // --- The real folder dialog ----------------------------------------------

    void typedMissingFolderAsksAndNoKeepsTheDialogOpen() {
        TempDir dir;
        AnsweredQtDialogs dialogs;
        dialogs.Answers = {false, true};
        const QString missing = QString::fromStdString(dir.Path().string() + "/made/here");
        bool stillOpenAfterNo = false;
        WhileDialogOpen({
            [&](QDialog& d) { QCOMPARE(d.findChild<QLineEdit*>("FolderName")->text(),
                                       QString::fromStdString(dir.Path().string())); },
            [&](QDialog& d) { TypeFolder(d, missing); PressOk(d); },
            [&](QDialog& d) { stillOpenAfterNo = d.isVisible(); PressOk(d); },
        });
        const std::optional<QString> chosen = dialogs.SelectFolder(nullptr, QString::fromStdString(dir.Path().string()));
        QVERIFY(stillOpenAfterNo);
        QCOMPARE(dialogs.Questions, (QStringList{kCreateQuestion, kCreateQuestion}));
        QCOMPARE(chosen, std::optional<QString>(missing));
        QVERIFY(!fs::exists(dir.Path() / "made"));  // creating it is the caller's part
    }

    void existingFolderIsAcceptedWithoutQuestion() {
        TempDir dir;
        fs::create_directory(dir.Path() / "sub");
        AnsweredQtDialogs dialogs;
        WhileDialogOpen({[&](QDialog& d) { TypeFolder(d, "sub"); PressOk(d); }});  // relative to the start
        const auto chosen = dialogs.SelectFolder(nullptr, QString::fromStdString(dir.Path().string()));
        QVERIFY(dialogs.Questions.isEmpty());
        QCOMPARE(chosen, std::optional<QString>(QString::fromStdString(dir.Path().string() + "/sub")));
    }

    void cancelGivesNothingAndAMissingStartOpensAtTheCurrentFolder() {
        AnsweredQtDialogs dialogs;
        QString shown;
        WhileDialogOpen({[&](QDialog& d) {
            shown = d.findChild<QLineEdit*>("FolderName")->text();
            QVERIFY(!(d.windowFlags() & Qt::WindowContextHelpButtonHint));  // no help button
            PressCancel(d);
        }});
        const auto chosen = dialogs.SelectFolder(nullptr, "/no/such/folder/anywhere");
        QCOMPARE(chosen, std::nullopt);
        QCOMPARE(shown, QDir::currentPath());
        QVERIFY(dialogs.Questions.isEmpty());
    }

    void emptyNameAsksToo() {
        AnsweredQtDialogs dialogs;
        dialogs.Answers = {true};
        WhileDialogOpen({[&](QDialog& d) { TypeFolder(d, ""); PressOk(d); }});
        const auto chosen = dialogs.SelectFolder(nullptr, QString());
        QCOMPARE(dialogs.Questions, QStringList{kCreateQuestion});
        QCOMPARE(chosen, std::optional<QString>(QString()));
    }
};

TESSARON_GUI_TEST_MAIN(ExportFolderTest)
#include "tst_export_folder.moc"
