// SPDX-License-Identifier: GPL-3.0-or-later
// The rider's language: which one the environment asks for, and for each
// language the tool speaks, that its catalogue is complete (lupdate over the
// sources finds nothing new or unfinished), that every argument of a text
// survives translation, and that the window and the dialogs show the
// translated words without cutting any off.
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <cstdio>
#include <map>
#include <gtest/gtest.h>

#include "app/command_line/command_line.h"
#include "app/controls/progress_dialog.h"
#include "app/dialogs/error_dialogs.h"
#include "app/dialogs/framework_texts.h"
#include "app/startup/trainer_search.h"
#include "app/translations/translations.h"
#include "app/window/calibration_window.h"
#include "gui_test_support.h"
#include "platform/format.h"
#include "serial/com_port_errors.h"

namespace {

const QString kQmDir = QStringLiteral(CALIBRATION_TOOL_QM_DIR);
const QString kTsDir = QStringLiteral(CALIBRATION_TOOL_TS_DIR);
const QString kAppSources = QStringLiteral(CALIBRATION_TOOL_APP_SOURCES);
const QString kLupdate = QStringLiteral(CALIBRATION_TOOL_LUPDATE);

// --- Which language the environment asks for -------------------------------

struct EnvironmentCase {
    std::map<std::string, std::string> variables;
    std::vector<std::string> requested;
};

TEST(RequestedLanguages, FollowTheLocaleVariablesAsGettextDoes) {
    const EnvironmentCase cases[] = {
        {{}, {}},
        {{{"LANG", "it_IT.UTF-8"}}, {"it_IT"}},
        {{{"LANG", "C.UTF-8"}}, {}},
        // LANGUAGE is not read in the C locale ...
        {{{"LANG", "C.UTF-8"}, {"LANGUAGE", "de"}}, {}},
        {{{"LC_ALL", "POSIX"}, {"LANG", "fr_FR.UTF-8"}}, {}},
        // ... and wins over the locale otherwise.
        {{{"LANG", "en_GB.UTF-8"}, {"LANGUAGE", "fr:de_AT"}}, {"fr", "de_AT"}},
        {{{"LANG", "it_IT.UTF-8"}, {"LANGUAGE", ""}}, {"it_IT"}},
        {{{"LC_ALL", "nl_NL.UTF-8"}, {"LC_MESSAGES", "de_DE.UTF-8"}, {"LANG", "C"}}, {"nl_NL"}},
        {{{"LC_MESSAGES", "es_ES.ISO-8859-15@euro"}, {"LANG", "de_DE.UTF-8"}}, {"es_ES"}},
        // Set but empty counts as not set.
        {{{"LC_ALL", ""}, {"LANG", "de_DE.UTF-8"}}, {"de_DE"}},
        {{{"LANG", "nl_BE.UTF-8"}, {"LANGUAGE", "::nl::"}}, {"nl"}},
    };
    for (const EnvironmentCase& c : cases) {
        const auto requested = app::RequestedLanguages([&c](const char* name) -> const char* {
            const auto found = c.variables.find(name);
            return found == c.variables.end() ? nullptr : found->second.c_str();
        });
        std::string shown;
        for (const auto& [name, value] : c.variables) shown += name + "=" + value + " ";
        EXPECT_EQ(requested, c.requested) << shown;
    }
}

TEST(LanguageCatalogues, TakeTheFirstLanguageTheToolSpeaksAndStopAtEnglish) {
    const struct {
        std::vector<std::string> requested;
        const char* loaded;
    } cases[] = {
        {{}, ""},
        {{"it_IT"}, "it"},
        {{"de_CH"}, "de"},
        {{"nl"}, "nl"},
        {{"pt_BR", "pt", "es_ES"}, "es"},
        {{"en_GB", "fr"}, ""},  // English asked for first
        {{"fr_CA", "en"}, "fr"},
        {{"pt_BR"}, ""},
    };
    for (const auto& c : cases) {
        app::LanguageCatalogues catalogues;
        EXPECT_EQ(catalogues.Load(c.requested, kQmDir), *c.loaded != '\0') << c.loaded;
        EXPECT_EQ(catalogues.Language(), QString::fromUtf8(c.loaded));
    }
}

// --- The catalogues ----------------------------------------------------------

struct Message {
    QString context;
    QString source;
    bool numerus = false;
    bool finished = false;
    QStringList translations;  // the numerus forms, or the one translation
};

std::vector<Message> ReadCatalogue(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    QXmlStreamReader xml(&file);
    std::vector<Message> messages;
    QString context;
    Message current;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement()) continue;
        const auto name = xml.name();
        if (name == QStringLiteral("name")) {
            context = xml.readElementText();
        } else if (name == QStringLiteral("message")) {
            current = Message{
                context, {}, xml.attributes().value(QStringLiteral("numerus")) == QStringLiteral("yes"), false, {}};
        } else if (name == QStringLiteral("source")) {
            current.source = xml.readElementText();
        } else if (name == QStringLiteral("translation")) {
            const auto type = xml.attributes().value(QStringLiteral("type"));
            current.finished = type.isEmpty();
            if (current.numerus) {
                while (xml.readNextStartElement()) current.translations << xml.readElementText();
            } else {
                current.translations << xml.readElementText();
            }
            messages.push_back(current);
        }
    }
    EXPECT_FALSE(xml.hasError()) << path.toStdString() << ": " << xml.errorString().toStdString();
    return messages;
}

QSet<QString> Placeholders(const QString& text) {
    QSet<QString> found;
    static const QRegularExpression argument(QStringLiteral("%(\\d+|n)"));
    for (const auto& match : argument.globalMatch(text)) found.insert(match.captured(0));
    return found;
}

class InEachLanguage : public testing::TestWithParam<const char*> {
protected:
    QString Language() const { return QString::fromUtf8(GetParam()); }
    QString Catalogue() const {
        return kTsDir + QStringLiteral("/calibration-tool_") + Language() + QStringLiteral(".ts");
    }
};

TEST_P(InEachLanguage, LupdateFindsNothingNewOrUnfinished) {
    // lupdate over the sources as the build runs it, into a copy: a text
    // added, changed or removed since the catalogue was written shows as a
    // difference, and a text nobody translated as unfinished.
    QTemporaryDir scratch;
    ASSERT_TRUE(scratch.isValid());
    const QString copy = scratch.filePath(QFileInfo(Catalogue()).fileName());
    ASSERT_TRUE(QFile::copy(Catalogue(), copy));
    QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner);
    QProcess lupdate;
    lupdate.setProcessChannelMode(QProcess::MergedChannels);
    lupdate.start(kLupdate, {QStringLiteral("-locations"), QStringLiteral("none"), QStringLiteral("-no-obsolete"),
                             kAppSources, QStringLiteral("-ts"), copy});
    ASSERT_TRUE(lupdate.waitForFinished(120000));
    const QString output = QString::fromUtf8(lupdate.readAll());
    ASSERT_EQ(lupdate.exitCode(), 0) << output.toStdString();

    const std::vector<Message> committed = ReadCatalogue(Catalogue());
    const std::vector<Message> current = ReadCatalogue(copy);
    ASSERT_FALSE(committed.empty());
    QSet<QString> committed_keys, current_keys;
    for (const Message& m : committed) committed_keys.insert(m.context + u'|' + m.source);
    for (const Message& m : current) current_keys.insert(m.context + u'|' + m.source);
    for (const QString& key : current_keys - committed_keys)
        ADD_FAILURE() << "new text, not in " << Catalogue().toStdString() << ": " << key.toStdString();
    for (const QString& key : committed_keys - current_keys)
        ADD_FAILURE() << "text no longer in the sources: " << key.toStdString();
    for (const Message& m : current) {
        EXPECT_TRUE(m.finished) << "unfinished: " << (m.context + u'|' + m.source).toStdString();
        for (const QString& t : m.translations)
            EXPECT_FALSE(t.isEmpty()) << "empty: " << (m.context + u'|' + m.source).toStdString();
    }
}

TEST_P(InEachLanguage, EveryArgumentOfASourceIsInItsTranslation) {
    const std::vector<Message> messages = ReadCatalogue(Catalogue());
    ASSERT_FALSE(messages.empty());
    for (const Message& m : messages) {
        const QSet<QString> wanted = Placeholders(m.source);
        ASSERT_FALSE(m.translations.isEmpty()) << m.source.toStdString();
        if (m.numerus) {
            EXPECT_TRUE(wanted.contains(QStringLiteral("%n"))) << m.source.toStdString();
        }
        for (const QString& t : m.translations) {
            EXPECT_EQ(Placeholders(t), wanted)
                << m.context.toStdString() << ": " << m.source.toStdString() << "\n  -> " << t.toStdString();
            // A shortcut mark stays a shortcut mark: one '&', as in the source.
            EXPECT_EQ(t.count(u'&'), m.source.count(u'&')) << t.toStdString();
        }
    }
}

// Installs one language's catalogues for a test and takes them off again.
class LanguageForTest {
public:
    explicit LanguageForTest(const QString& language) {
        EXPECT_TRUE(catalogues_.Load({language.toStdString()}, kQmDir)) << language.toStdString();
        catalogues_.Install();
    }

private:
    app::LanguageCatalogues catalogues_;
};

QString PictureDir() {
    const QString dir = qEnvironmentVariable("CALIBRATION_DOCS_DIR");
    return dir.isEmpty() ? QDir::currentPath() : dir;
}

QString Tr(const char* context, const char* source) { return QCoreApplication::translate(context, source); }

// The text's own width, without the shortcut mark.
int TextWidth(const QWidget* widget, QString text) {
    return widget->fontMetrics().horizontalAdvance(text.remove(u'&'));
}

TEST_P(InEachLanguage, HelpLinesStayWithinEightyColumns) {
    LanguageForTest language(Language());
    char* buffer = nullptr;
    size_t size = 0;
    std::FILE* out = open_memstream(&buffer, &size);
    app::PrintUsage(out);
    std::fclose(out);
    const QString help = QString::fromUtf8(buffer, static_cast<qsizetype>(size));
    std::free(buffer);
    EXPECT_TRUE(help.contains(Tr("CommandLine", "show this help and exit"))) << help.toStdString();
    EXPECT_NE(Tr("CommandLine", "show this help and exit"), QStringLiteral("show this help and exit"));
    for (const QString& line : help.split(u'\n')) EXPECT_LE(line.size(), 80) << line.toStdString();
}

TEST_P(InEachLanguage, TheWindowShowsTheTranslatedWordsUncut) {
    LanguageForTest language(Language());
    app::TForm1 form;
    app::SetMainForm(&form);
    form.TargetSpeeds = {20, 30, 40};
    form.ResistanceLevels = {100, 60, 0};
    form.qdv->SetConnectionSurvey(false);
    form.qdv->SetConnected(true);  // the caption handler runs
    // Two digits before the decimal on both sides of the row, as on every
    // ride; the arrow stands over the scale between the two texts.
    const long double kmh = 29.7L;
    form.qdv->Speed = kmh;
    form.Btn_P2->click();
    form.qdv->OnStats(form.qdv.get(), 1000, 10, 10, 50, kmh, true);
    form.show();
    QCoreApplication::processEvents();

    const QString speed = QString::fromStdString(platform::FormatFixed(29.7, 1));
    const QString target = QString::fromStdString(platform::FormatFixed(30.0, 1));
    EXPECT_EQ(form.windowTitle(), Tr("TForm1", "Calibration tool - Connected"));
    EXPECT_NE(form.windowTitle(), QStringLiteral("Calibration tool - Connected"));
    EXPECT_EQ(form.Label1->text(), Tr("TForm1", "Speed: %1 km/h").arg(speed));
    EXPECT_NE(Tr("TForm1", "Speed: %1 km/h"), QStringLiteral("Speed: %1 km/h"));
    EXPECT_EQ(form.Label2->text(), Tr("TForm1", "Target speed: %1 km/h").arg(target));
    EXPECT_NE(Tr("TForm1", "Target speed: %1 km/h"), QStringLiteral("Target speed: %1 km/h"));

    // Bold while the rider holds the target: the widest the speed gets.
    ASSERT_TRUE(form.Label1->font().bold());
    for (QLabel* label : {form.Label1, form.Label2}) {
        EXPECT_LE(TextWidth(label, label->text()), label->width()) << label->text().toStdString();
        EXPECT_GE(label->x(), 0);
        EXPECT_LE(label->x() + label->width(), app::TForm1::kClientWidth);
    }
    const QRect arrow = form.Indicatore->geometry();
    EXPECT_LT(form.Label1->geometry().right(), arrow.left() + 11) << "the arrow hides the speed";
    EXPECT_GT(form.Label2->geometry().left(), arrow.right() - 11) << "the arrow hides the target";
    EXPECT_LE(form.Label1->geometry().right(), form.Label2->geometry().left())
        << "speed and target overlap: " << form.Label1->text().toStdString() << " | "
        << form.Label2->text().toStdString();
    QStyleOptionButton check;
    check.initFrom(form.CheckBox1);
    check.text = form.CheckBox1->text();
    const QRect check_text =
        form.CheckBox1->style()->subElementRect(QStyle::SE_CheckBoxContents, &check, form.CheckBox1);
    EXPECT_LE(TextWidth(form.CheckBox1, check.text), check_text.width()) << check.text.toStdString();
    EXPECT_LE(form.CheckBox1->geometry().right(), app::TForm1::kClientWidth - 1);

    // Qt's own catalogue of the language is loaded too: its standard buttons match.
    EXPECT_NE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Cancel"));

    const QImage image = gui_test::Render(&form);
    app::SetMainForm(nullptr);
    EXPECT_EQ(image.size(), QSize(app::TForm1::kClientWidth, app::TForm1::kClientHeight));
    EXPECT_TRUE(
        image.save(PictureDir() + QStringLiteral("/calibration-window-") + Language() + QStringLiteral(".png")));
}

TEST_P(InEachLanguage, TheRetryDialogShowsTheTranslatedWordsUncut) {
    LanguageForTest language(Language());
    app::TrainerSearchReport report;
    report.ports = {{"ttyUSB0", app::ProbeOutcome::NoAnswer, {}}, {"ttyS0", app::ProbeOutcome::InUse, {}}};
    const std::string text = app::NoTrainerText(report);
    std::unique_ptr<QMessageBox> box(
        app::CreateMessageDialog(text, app::mtError, {app::mbNo, app::mbRetry}, app::mbRetry));
    box->show();
    QCoreApplication::processEvents();

    EXPECT_EQ(box->windowTitle(), Tr("MessageDialog", "Erreur"));
    EXPECT_TRUE(box->text().startsWith(Tr("TrainerSearch", "No trainer was found."))) << text;
    EXPECT_TRUE(box->text().contains(Tr("TrainerSearch", "opened, but no trainer answered"))) << text;
    // The last line names the buttons as they show.
    const QString retry = Tr("MessageDialog", "&Retenter");
    const QString no = Tr("MessageDialog", "&Non");
    EXPECT_TRUE(box->text().endsWith(
        Tr("TrainerSearch", "%1 searches again; %2 quits.").arg(QString(retry).remove(u'&'), QString(no).remove(u'&'))))
        << text;
    const auto buttons = box->findChildren<QPushButton*>();
    ASSERT_EQ(buttons.size(), 2);
    for (QPushButton* button : buttons) {
        EXPECT_TRUE(button->text() == retry || button->text() == no) << button->text().toStdString();
        EXPECT_LE(TextWidth(button, button->text()), button->contentsRect().width()) << button->text().toStdString();
    }
    for (QLabel* label : box->findChildren<QLabel*>()) {
        if (label->text().isEmpty() || !label->isVisible()) continue;
        EXPECT_LE(label->sizeHint().width(), label->width() + 1) << label->text().toStdString();
    }
    EXPECT_TRUE(gui_test::Render(box.get()).save(PictureDir() + QStringLiteral("/retry-dialog-") + Language() +
                                                 QStringLiteral(".png")));
}

TEST_P(InEachLanguage, TheProgressDialogShowsTheTranslatedWordsUncut) {
    LanguageForTest language(Language());
    app::ShowProgressDialog(-1, 3, Tr("TrainerSearch", app::kReadingComPorts).toStdString());
    ASSERT_NE(app::ProgressDlgForm, nullptr);
    // A port named by its path (--port), as long as search names get.
    const QString longest = Tr("TrainerSearch", app::kOpeningPort).arg(QStringLiteral("/dev/ttyUSB10"));
    app::StepProgressDialog(3, 1, longest.toStdString());
    QLabel* label = app::ProgressDlgForm->LabelProgress;
    EXPECT_EQ(label->text(), longest);
    EXPECT_NE(Tr("TrainerSearch", app::kOpeningPort), QString::fromUtf8(app::kOpeningPort));
    EXPECT_LE(TextWidth(label, label->text()), label->width()) << label->text().toStdString();
    EXPECT_TRUE(gui_test::Render(app::ProgressDlgForm)
                    .save(PictureDir() + QStringLiteral("/progress-dialog-") + Language() + QStringLiteral(".png")));
    app::CloseProgressDialog();
}

TEST_P(InEachLanguage, TheFrameworkMessagesOfTheCoreAreTranslated) {
    LanguageForTest language(Language());
    EXPECT_EQ(QString::fromStdString(app::TranslatedErrorText("'22.5' is not a valid integer value")),
              Tr("FrameworkErrors", "'%1' is not a valid integer value").arg(QStringLiteral("22.5")));
    EXPECT_EQ(QString::fromStdString(app::TranslatedErrorText("Type de données incorrect pour 'Speed1'")),
              Tr("FrameworkErrors", "Type de données incorrect pour '%1'").arg(QStringLiteral("Speed1")));
    const serial::EComPort registry(serial::CError_RegError, 2);
    EXPECT_EQ(QString::fromStdString(app::TranslatedErrorText(registry.Message())),
              Tr("SerialErrors", "Registry error") + Tr("SerialErrors", " (win error code: %1)").arg(2));
    const serial::EComPort open_failed(serial::CError_OpenFailed, -1);
    EXPECT_EQ(QString::fromStdString(app::TranslatedErrorText(open_failed.Message())),
              Tr("SerialErrors", "Unable to open com port"));
    EXPECT_NE(Tr("SerialErrors", "Unable to open com port"), QStringLiteral("Unable to open com port"));
    // Anything else is left as it is.
    EXPECT_EQ(app::TranslatedErrorText("Registry errors galore"), "Registry errors galore");
    EXPECT_EQ(app::TranslatedErrorText("ProgressDlgForm is nil !!!"), "ProgressDlgForm is nil !!!");
}

INSTANTIATE_TEST_SUITE_P(Languages, InEachLanguage, testing::Values("it", "de", "fr", "es", "nl"),
                         [](const auto& info) { return std::string(info.param); });

// The serial line's texts as the translation knows them are the serial
// library's own, code for code.
TEST(SerialErrorTexts, AreTheSerialLibrarysOwn) {
    for (int32_t code = serial::CError_OpenFailed - 1; code <= serial::CError_RegError + 2; ++code)
        EXPECT_EQ(app::SerialErrorSource(code), serial::ComErrorText(code)) << code;
}

// Without a catalogue every text stays as written (the C and English locales).
TEST(WithoutACatalogue, EveryTextStaysAsWritten) {
    EXPECT_EQ(app::TranslatedErrorText("Registry error (win error code: 2)"), "Registry error (win error code: 2)");
    EXPECT_EQ(app::TranslatedErrorText("'' is not a valid floating point value"),
              "'' is not a valid floating point value");
    EXPECT_EQ(app::MsgDlgCaption(app::mtError), "Erreur");
    EXPECT_EQ(app::ButtonCaption(app::mbRetry), QStringLiteral("&Retenter"));
    app::TrainerSearchReport report;
    report.ports = {{"ttyUSB0", app::ProbeOutcome::NoAnswer, {}}};
    const std::string text = app::NoTrainerText(report);
    EXPECT_NE(text.find("\nRetenter searches again; Non quits."), std::string::npos) << text;
    app::TForm1 form;
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Calibration tool"));
    EXPECT_EQ(form.Label1->text(), QStringLiteral("Speed:"));
}

}  // namespace
