// Main window: load, unload, the library editor wiring, option rules, tabs and menus.
#include "app/frmVehicleTurning.h"

#include "app/AppLanguage.h"
#include "app/FormPlacement.h"
#include "app/HelpViewer.h"
#include "app/QtFileDialogs.h"
#include "app/QtStatusService.h"
#include "app/VehicleSchematic.h"
#include "app/drawing/SweepSession.h"
#include "app/frmAbout.h"
#include "app/frmLevelChoice.h"
#include "app/frmSettings.h"
#include "common/NumberText.h"
#include "output/SweptAreaOptions.h"
#include "ui_frmVehicleTurning.h"
#include "vehicle/VehicleType.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLocale>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <initializer_list>
#include <stdexcept>

namespace velrok::app {

namespace {

constexpr int kHelpTopicMainWindow = 1;

// The sixteen length fields whose key release re-evaluates the summary.
constexpr std::array<std::string_view, 16> kLengthFields = {
    "txt_Front",  "txt_Wheelbase",  "txt_Back",   "txtHitch",       "txt_Front2", "txt_Wheelbase2",
    "txt_Back2",  "txtHitch2",      "txt_Front3", "txt_Wheelbase3", "txt_Back3",  "txtHitch3",
    "txt_Front4", "txt_Wheelbase4", "txt_Back4",  "txtHitch4"};

struct SpeedUnit {
    const char* text;
    int code;
};
// The third entry lacks its closing parenthesis; users know the list that way.
constexpr std::array<SpeedUnit, 3> kSpeedUnits = {
    {{"km/h (Kilometers/Hour)", 0}, {"mph (Miles/Hour)", 1}, {"ms (Meters/Second", 2}}};

struct TabInfo {
    const char* caption;
    const char* key;
};
// The third caption ends in a tab character, as it always has.
constexpr std::array<TabInfo, 3> kTabs = {{{"Vehicle Details", kTabVehicleData},
                                           {"Turning Report", kTabAngleDiagram},
                                           {"Lock to lock Report\t", kTabSpeedDiagram}}};

QString Q(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

frmVehicleTurning::frmVehicleTurning(AppEnvironment& env, QWidget* parent)
    : QMainWindow(parent), m_ui(std::make_unique<Ui::frmVehicleTurning>()), m_env(env)
{
    m_ui->setupUi(this);
    m_status = new QtStatusService(m_ui->StatusBar1);
    FileDialogs* dialogs = env.dialogs;
    if (dialogs == nullptr) {
        m_ownDialogs = std::make_unique<QtFileDialogs>(this);
        dialogs = m_ownDialogs.get();
    }
    m_library = std::make_unique<VehicleLibrary>(VehicleLibraryServices{env.messages, *m_status, env.settings,
                                                                        *dialogs, env.decimalSeparator,
                                                                        env.programFolder, env.dataFolder});

    for (const TabInfo& tab : kTabs) {
        const int index = m_ui->TabStrip1->addTab(QString::fromLatin1(tab.caption));
        m_ui->TabStrip1->setTabData(index, QString::fromLatin1(tab.key));
    }
    for (QWidget* picture : {static_cast<QWidget*>(m_ui->Picture3), static_cast<QWidget*>(m_ui->Picture2)}) {
        QPalette dark = picture->palette();
        dark.setColor(QPalette::Window, Qt::black);
        picture->setPalette(dark);
        picture->hide();
    }
    ShowFields();

    // Show vehicle follows the list's click: a new row shows its vehicle (by mouse or keys), and a
    // click on the entry already selected shows it again (after AjV or unsaved edits).
    connect(m_ui->List1, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!m_showing)
            RunLibraryCommand([this, row] { m_library->SelectEntry(row); });
    });
    m_ui->List1->viewport()->installEventFilter(this);
    connect(m_ui->List1, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        const int row = m_ui->List1->row(item);
        if (!m_showing && row >= 0 && row == m_rowBeforePress)
            RunLibraryCommand([this, row] { m_library->SelectEntry(row); });
    });
    connect(m_ui->Combo1, &QComboBox::activated, this, [this](int index) {
        const int code = m_ui->Combo1->itemData(index).toInt();
        RunLibraryCommand([this, code] { m_library->SelectType(code); });
    });
    connect(m_ui->Command1, &QPushButton::clicked, this,
            [this] { RunLibraryCommand([this] { m_library->Save(); }); });
    connect(m_ui->Command6, &QPushButton::clicked, this,
            [this] { RunLibraryCommand([this] { m_library->Copy(); }); });
    connect(m_ui->Command4, &QPushButton::clicked, this,
            [this] { RunLibraryCommand([this] { m_library->NewVehicle(); }); });
    connect(m_ui->Command5, &QPushButton::clicked, this,
            [this] { RunLibraryCommand([this] { m_library->Delete(); }); });
    connect(m_ui->M_New, &QAction::triggered, this,
            [this] { RunLibraryCommand([this] { m_library->FileNew(); }); });
    connect(m_ui->M_Open, &QAction::triggered, this,
            [this] { RunLibraryCommand([this] { m_library->FileOpen(); }); });
    connect(m_ui->M_save, &QAction::triggered, this,
            [this] { RunLibraryCommand([this] { m_library->FileSaveAs(); }); });

    connect(m_ui->chk_PlotVehicle, &QCheckBox::toggled, this, &frmVehicleTurning::ApplyPlotVehicleRule);
    connect(m_ui->Check1, &QCheckBox::toggled, this, &frmVehicleTurning::ApplyOnlyFirstAndLastRule);
    connect(m_ui->TabStrip1, &QTabBar::currentChanged, this, &frmVehicleTurning::SelectTab);
    connect(m_ui->Command2, &QPushButton::clicked, this, &frmVehicleTurning::Quit);
    connect(m_ui->M_settingsVersion, &QAction::triggered, this, [this] { ShowGeneralSettings(false); });
    connect(m_ui->M_Helpfile, &QAction::triggered, this, [this] { OpenHelp(this, m_helpTopic); });
    connect(m_ui->M_About, &QAction::triggered, this, &frmVehicleTurning::ShowAbout);

    // The schematic follows every edit; the summary follows key releases in the length fields.
    for (std::string_view name : VehicleFieldNames()) {
        QLineEdit* field = Field(name);
        connect(field, &QLineEdit::textEdited, this, [this] {
            CopyFieldsToCore();
            ShowSchematic();
        });
    }
    for (std::string_view name : kLengthFields)
        Field(name)->installEventFilter(this);

    // The drawing window is the running host; the run's diagrams go into the two pictures.
    m_session = new SweepSession(SweepSessionServices{env.messages, *m_status, m_run, env.settings,
                                                      env.session.hostProgId, env.decimalSeparator},
                                 m_ui->Picture3, m_ui->Picture2, this);
    // While a run is under way nothing that changes its state can start; Quit stays to stop it.
    for (QWidget* w :
         std::initializer_list<QWidget*>{m_ui->Command3, m_ui->Command7, m_ui->Command1, m_ui->Command4,
                                         m_ui->Command5, m_ui->Command6, m_ui->List1, m_ui->Combo1})
        m_session->LockDuringRun(w);
    for (QAction* a :
         {m_ui->M_Settings_color, m_ui->M_settingsVersion, m_ui->M_New, m_ui->M_Open, m_ui->M_save})
        m_session->LockDuringRun(a);
    connect(m_ui->Command7, &QPushButton::clicked, this, [this] { m_session->AddPath(); });
    connect(m_ui->Command3, &QPushButton::clicked, this, &frmVehicleTurning::Execute);
    connect(m_ui->M_Settings_color, &QAction::triggered, this, [this] {
        setCursor(Qt::WaitCursor);
        m_session->ShowStyleForm();
        unsetCursor();
    });
    m_ui->M_File->addSeparator();
    m_drawingAction = m_ui->M_File->addAction(QCoreApplication::translate("frmVehicleTurning", "&Dessin"),
                                              m_session, &SweepSession::ShowDrawingWindow);
    m_drawingAction->setObjectName(QStringLiteral("M_Drawing"));

    // Options > Langue: one of three, stored as "Language" ("" = as the system's locale).
    auto* languages = new QActionGroup(this);
    languages->setExclusive(true);
    for (QAction* a : {m_ui->M_LanguageSystem, m_ui->M_LanguageFrench, m_ui->M_LanguageEnglish})
        languages->addAction(a);
    connect(m_ui->M_LanguageSystem, &QAction::triggered, this, [this] { ChooseLanguageFromMenu(""); });
    connect(m_ui->M_LanguageFrench, &QAction::triggered, this,
            [this] { ChooseLanguageFromMenu(kLanguageFrench); });
    connect(m_ui->M_LanguageEnglish, &QAction::triggered, this,
            [this] { ChooseLanguageFromMenu(kLanguageEnglish); });
    ShowLanguageChoice();

    // The swept-area options: stored as soon as they are changed, for the next run to read.
    connect(m_ui->txt_Clearance, &QLineEdit::editingFinished, this, &frmVehicleTurning::StoreClearance);
    connect(m_ui->Command_ObstacleLevels, &QPushButton::clicked, this, [this] {
        ChooseLevels(kObstacleLevelsSetting,
                     QCoreApplication::translate("frmVehicleTurning", "Niveaux des obstacles"));
    });
    connect(m_ui->Command_KerbLevels, &QPushButton::clicked, this, [this] {
        ChooseLevels(kKerbLevelsSetting,
                     QCoreApplication::translate("frmVehicleTurning", "Niveaux des bordures"));
    });
    for (QWidget* w : std::initializer_list<QWidget*>{m_ui->txt_Clearance, m_ui->Command_ObstacleLevels,
                                                      m_ui->Command_KerbLevels})
        m_session->LockDuringRun(w);
}

void frmVehicleTurning::StoreClearance()
{
    const ClearanceCheck check =
        CheckClearanceText(m_ui->txt_Clearance->text().toStdString(), m_env.decimalSeparator);
    if (!check.ok) {
        // The stored distance stays; the field shows it is not taken.
        m_ui->txt_Clearance->setStyleSheet(QStringLiteral("color: rgb(200, 0, 0);"));
        m_status->SetPanel(1, check.message);
        return;
    }
    m_ui->txt_Clearance->setStyleSheet(QString());
    if (!m_env.settings.Set(kClearanceDistanceSetting, check.stored))
        m_env.messages.Show("Velrok", "The clearance distance could not be stored.", MsgIcon::Exclamation);
}

void frmVehicleTurning::ChooseLevels(const char* settingKey, const QString& title)
{
    std::vector<std::string> levels;
    if (frmDrawing* drawing = m_session->DrawingWindow(); drawing != nullptr && drawing->Drawing())
        for (const host::LevelHandle& level : drawing->Drawing()->Levels())
            levels.push_back(drawing->Drawing()->LevelName(level));
    frmLevelChoice form(title, LevelChoices(levels, m_env.settings.Get(settingKey, "")), this);
    if (form.exec() != QDialog::Accepted)
        return;
    if (!m_env.settings.Set(settingKey, LevelSettingOf(form.Choices())))
        m_env.messages.Show("Velrok", "The chosen levels could not be stored.", MsgIcon::Exclamation);
    ShowLevelTooltips();
}

void frmVehicleTurning::ShowLevelTooltips()
{
    m_ui->Command_ObstacleLevels->setToolTip(
        QString::fromStdString(m_env.settings.Get(kObstacleLevelsSetting, "")));
    m_ui->Command_KerbLevels->setToolTip(QString::fromStdString(m_env.settings.Get(kKerbLevelsSetting, "")));
}

void frmVehicleTurning::ShowLanguageChoice()
{
    const std::string stored = m_env.settings.Get(kLanguageSetting, "");
    QAction* chosen = stored == kLanguageFrench    ? m_ui->M_LanguageFrench
                      : stored == kLanguageEnglish ? m_ui->M_LanguageEnglish
                                                   : m_ui->M_LanguageSystem;
    chosen->setChecked(true);
}

void frmVehicleTurning::ChooseLanguageFromMenu(const char* language)
{
    if (!m_env.settings.Set(kLanguageSetting, language))
        m_env.messages.Show("Velrok", "The language choice could not be stored.", MsgIcon::Exclamation);
    if (m_env.translations != nullptr &&
        !m_env.translations->Use(ChooseLanguage(language, QLocale::system().name().toStdString())))
        m_env.messages.Show("Velrok", "The English translation is missing from the program.",
                            MsgIcon::Exclamation);
    ShowLanguageChoice();
}

void frmVehicleTurning::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange) {
        // The forms' captions in the new language; what the program wrote into them comes back.
        m_ui->retranslateUi(this);
        m_drawingAction->setText(QCoreApplication::translate("frmVehicleTurning", "&Dessin"));
        CopyFieldsToCore(); // typed, unsaved texts are kept
        ShowLibraryState();
    }
    QMainWindow::changeEvent(event);
}

void frmVehicleTurning::Execute()
{
    CopyFieldsToCore();
    SweepInputs inputs;
    inputs.fields = m_library->Fields();
    inputs.txt_Speed = m_ui->txt_Speed->text().toStdString();
    inputs.txt_plotSpacing = m_ui->txt_plotSpacing->text().toStdString();
    inputs.Combo4 = std::max(0, m_ui->Combo4->currentIndex());
    inputs.VType = static_cast<int16_t>(m_ui->Combo1->currentData().toInt());
    inputs.chk_PlotVehicle = m_ui->chk_PlotVehicle->isChecked();
    inputs.chk_plotSweep = m_ui->chk_plotSweep->isChecked();
    inputs.Check1 = m_ui->Check1->isChecked();
    inputs.chk_reverse = m_ui->chk_reverse->isChecked();
    inputs.Check2 = m_ui->Check2->isChecked();
    m_session->Execute(inputs);
}

frmVehicleTurning::~frmVehicleTurning() = default;

QLineEdit* frmVehicleTurning::Field(std::string_view controlName) const
{
    auto* field = findChild<QLineEdit*>(Q(controlName));
    if (field == nullptr)
        throw std::logic_error("main window has no field " + std::string(controlName));
    return field;
}

void frmVehicleTurning::Load()
{
    try {
        m_helpTopic = kHelpTopicMainWindow;

        m_ui->Combo1->clear();
        for (const VehicleType& type : VehicleTypes())
            m_ui->Combo1->addItem(Q(type.displayName), static_cast<int>(type.code));
        m_ui->Combo1->setCurrentIndex(1);

        LoadOptions();

        CopyFieldsToCore();
        m_library->StartUp();
        ShowLibraryState();

        // First run: no version chosen yet, as with a fresh settings store, or an emptied one,
        // sends the user to the general settings.
        if (Trim(m_env.settings.Get(kCadVersionSetting, "")).empty()) {
            m_env.messages.Show("First time, select Microstation version",
                                "Welcome! You will now be redirected to the settings form.\r\r"
                                "Please select your CAD version in the bottom left part.",
                                MsgIcon::Information);
            hide();
            ShowGeneralSettings(true);
        }
        m_env.session.hostProgId = host::kStandardProgId;
        // The drawing window (with the bundled example drawing) beside this one, neither above the
        // other, or both where the user left them.
        PlaceMainAndDrawing(m_env.settings, this, m_session->CreateDrawingWindow());
        m_session->ShowDrawingWindow();
    } catch (const std::exception& e) {
        m_env.messages.Show("Veichle Turning Simulation", std::string(e.what()) + " Load frm",
                            MsgIcon::Exclamation);
    }
}

void frmVehicleTurning::LoadOptions()
{
    // A stored option that is not 0 or 1 falls back to its default, so a damaged setting never
    // stops the load before the library is listed.
    auto readCheck = [this](QCheckBox* box, const char* key, bool defaultOn) {
        const ParsedNumber n =
            ParseNumber(Trim(m_env.settings.Get(key, defaultOn ? "1" : "0")), m_env.decimalSeparator);
        const bool valid = n.ok() && (n.value == 0.0 || n.value == 1.0);
        box->setChecked(valid ? n.value == 1.0 : defaultOn);
    };
    readCheck(m_ui->chk_PlotVehicle, kPlotVehicleSetting, true);
    m_ui->txt_plotSpacing->setText(
        QString::fromStdString(m_env.settings.Get(kMaxVehicleSpacingSetting, "5")));
    readCheck(m_ui->Check1, kPlotOnlyFirstAndLastSetting, false);
    readCheck(m_ui->chk_plotSweep, kPlotSweepSetting, true);
    readCheck(m_ui->Check2, kPlotEnvelopeSetting, false);
    // The rules also hold when a stored state equals the box's initial one (no click happened).
    ApplyPlotVehicleRule();

    m_ui->Combo4->clear();
    for (const SpeedUnit& unit : kSpeedUnits)
        m_ui->Combo4->addItem(QString::fromLatin1(unit.text), unit.code);
    m_ui->Combo4->setCurrentIndex(0);
    const ParsedNumber sort =
        ParseNumber(Trim(m_env.settings.Get(kSpeedSortSetting, "0")), m_env.decimalSeparator);
    if (sort.ok() && sort.value >= 0 && sort.value < m_ui->Combo4->count() &&
        sort.value == std::floor(sort.value))
        m_ui->Combo4->setCurrentIndex(static_cast<int>(sort.value));
    m_ui->txt_Speed->setText(QString::fromStdString(m_env.settings.Get(kSpeedSetting, "0")));
    m_ui->txt_Clearance->setText(QString::fromStdString(
        ClearanceFieldText(m_env.settings.Get(kClearanceDistanceSetting, ""), m_env.decimalSeparator)));
    ShowLevelTooltips();
}

void frmVehicleTurning::Unload()
{
    if (m_library->CurrentFile().empty())
        m_library->SetCurrentFile(
            (std::filesystem::path(m_env.programFolder) / kDefaultVehicleFileName).string());
    auto state = [](const QCheckBox* box) { return std::string(box->isChecked() ? "1" : "0"); };
    SettingsStore& s = m_env.settings;
    s.Set(kVehicleFileSetting, m_library->CurrentFile());
    s.Set(kPlotVehicleSetting, state(m_ui->chk_PlotVehicle));
    s.Set(kMaxVehicleSpacingSetting, m_ui->txt_plotSpacing->text().toStdString());
    s.Set(kPlotOnlyFirstAndLastSetting, state(m_ui->Check1));
    s.Set(kPlotSweepSetting, state(m_ui->chk_plotSweep));
    s.Set(kSpeedSortSetting, std::to_string(std::max(0, m_ui->Combo4->currentIndex())));
    s.Set(kSpeedSetting, m_ui->txt_Speed->text().toStdString());
    s.Set(kPlotEnvelopeSetting, state(m_ui->Check2));
    StoreGeometry(s, kMainWindowGeometrySetting, this);
    m_session->StoreDrawingGeometry();
}

void frmVehicleTurning::closeEvent(QCloseEvent* event)
{
    // The drawing window ends with the program: its unsaved changes are asked about first (Quit
    // has asked already). Cancel keeps everything, a run under way included, going.
    if (!m_quitConfirmed && !m_session->ConfirmDiscardDrawing()) {
        event->ignore();
        return;
    }
    m_quitConfirmed = false;
    m_run.RequestStop();
    Unload();
    event->accept();
    emit Unloaded();
}

void frmVehicleTurning::Quit()
{
    if (!m_session->ConfirmDiscardDrawing())
        return;
    m_quitConfirmed = true;
    m_run.RequestStop();
    close();
}

bool frmVehicleTurning::eventFilter(QObject* watched, QEvent* event)
{
    // The row selected before a press on the list tells a click on the same entry from a change.
    if (watched == m_ui->List1->viewport()) {
        if (event->type() == QEvent::MouseButtonPress)
            m_rowBeforePress = m_ui->List1->currentRow();
        return QMainWindow::eventFilter(watched, event);
    }
    if (event->type() == QEvent::KeyRelease)
        RunLibraryCommand([this] { m_library->LengthFieldEdited(); });
    return QMainWindow::eventFilter(watched, event);
}

// ---- widgets to core and back ------------------------------------------------------------------

void frmVehicleTurning::CopyFieldsToCore()
{
    VehicleFields& fields = m_library->Fields();
    for (std::string_view name : VehicleFieldNames())
        *FieldByName(fields, name) = Field(name)->text().toStdString();
}

template <class Command> void frmVehicleTurning::RunLibraryCommand(Command command)
{
    CopyFieldsToCore();
    try {
        command();
    } catch (const std::exception& e) {
        m_env.messages.Show("Velrok", e.what(), MsgIcon::Exclamation);
    }
    ShowLibraryState();
}

void frmVehicleTurning::ShowLibraryState()
{
    m_showing = true;
    ShowFields();
    ShowList();
    const int typeIndex = m_ui->Combo1->findData(m_library->SelectedType());
    if (typeIndex >= 0)
        m_ui->Combo1->setCurrentIndex(typeIndex);

    // Each optional control is set once to its final state. Hiding all of them first and showing
    // them again would take the focus from the field being typed in: a hidden focus widget hands
    // the focus on, past the hidden rows, to the speed field.
    const ShownControls& optional = OptionalControls();
    const ShownControls shown = m_library->ShownFields();
    auto isIn = [](const auto& list, const auto& item) {
        return std::find(list.begin(), list.end(), item) != list.end();
    };
    for (std::string_view heading : optional.headings)
        findChild<QWidget*>(Q(heading))->setVisible(isIn(shown.headings, heading));
    for (int index : optional.dimensionLabels)
        findChild<QWidget*>(QStringLiteral("Label1_%1").arg(index))
            ->setVisible(isIn(shown.dimensionLabels, index));
    for (std::string_view field : optional.fields)
        Field(field)->setVisible(isIn(shown.fields, field));

    if (!m_library->CurrentFile().empty())
        setWindowTitle(QString::fromStdString(m_library->Caption()));
    ShowSchematic();
    ShowSummary();
    m_showing = false;
}

void frmVehicleTurning::ShowFields()
{
    const VehicleFields& fields = m_library->Fields();
    for (std::string_view name : VehicleFieldNames()) {
        const QString text = QString::fromStdString(*FieldByName(fields, name));
        QLineEdit* field = Field(name);
        if (field->text() != text)
            field->setText(text);
    }
}

void frmVehicleTurning::ShowList()
{
    const VehicleList& list = m_library->List();
    bool same = m_ui->List1->count() == static_cast<int>(list.size());
    for (int i = 0; same && i < m_ui->List1->count(); ++i) {
        const QListWidgetItem* item = m_ui->List1->item(i);
        same = item->text() == QString::fromStdString(list[i].text) &&
               item->data(Qt::UserRole).toInt() == list[i].itemData;
    }
    if (!same) {
        m_ui->List1->clear();
        for (const VehicleListEntry& entry : list) {
            auto* item = new QListWidgetItem(QString::fromStdString(entry.text), m_ui->List1);
            item->setData(Qt::UserRole, entry.itemData);
            // The list is narrower than a stored name can be: the tooltip shows it whole.
            item->setToolTip(QString::fromStdString(Trim(entry.text)));
        }
    }
    m_ui->List1->setCurrentRow(m_library->SelectedIndex());
}

void frmVehicleTurning::ShowSchematic()
{
    int code = 0;
    for (int c = kFirstVehicleType; c <= kLastVehicleType; ++c)
        if (PictureKey(c) == m_library->ShownPictureKey())
            code = c;
    // A field that is not a number draws at its default length, so the picture stays readable.
    const VehicleFields& f = m_library->Fields();
    const VehicleFields defaults;
    auto len = [this, &f, &defaults](std::string_view name) {
        const ParsedNumber n = ParseNumber(Trim(*FieldByName(f, name)), m_env.decimalSeparator);
        return n.ok() ? n.value : ParseNumber(*FieldByName(defaults, name), ',').value;
    };
    SchematicDims d;
    d.F = len("txt_Front"), d.WB = len("txt_Wheelbase"), d.B = len("txt_Back"), d.H = len("txtHitch");
    d.F2 = len("txt_Front2"), d.WB2 = len("txt_Wheelbase2"), d.B2 = len("txt_Back2"), d.H2 = len("txtHitch2");
    d.F3 = len("txt_Front3"), d.WB3 = len("txt_Wheelbase3"), d.B3 = len("txt_Back3"), d.H3 = len("txtHitch3");
    d.F4 = len("txt_Front4"), d.WB4 = len("txt_Wheelbase4"), d.B4 = len("txt_Back4"), d.H4 = len("txtHitch4");
    m_ui->Image1->ShowPicture(code, d);
}

void frmVehicleTurning::ShowSummary()
{
    const SegmentsSummary& summary = m_library->Summary();
    if (summary.totalLengthText.empty())
        return;
    m_ui->lbl_TotalLength->setText(QString::fromStdString(summary.totalLengthText));
    // A length that could not be summed shows in red, next to the field named in panel 1.
    m_ui->lbl_TotalLength->setStyleSheet(summary.lengthOk ? QString()
                                                          : QStringLiteral("color: rgb(200, 0, 0);"));
}

// ---- options, tabs, menus ----------------------------------------------------------------------

void frmVehicleTurning::ApplyPlotVehicleRule()
{
    const bool plot = m_ui->chk_PlotVehicle->isChecked();
    m_ui->Check1->setEnabled(plot);
    const bool spacing = plot && !m_ui->Check1->isChecked();
    m_ui->txt_plotSpacing->setEnabled(spacing);
    m_ui->Label5->setEnabled(spacing);
}

void frmVehicleTurning::ApplyOnlyFirstAndLastRule()
{
    const bool spacing = !m_ui->Check1->isChecked();
    m_ui->txt_plotSpacing->setEnabled(spacing);
    m_ui->Label5->setEnabled(spacing);
}

void frmVehicleTurning::SelectTab(int index)
{
    try {
        m_ui->Frame1->hide();
        m_ui->Picture3->hide();
        m_ui->Picture2->hide();
        const QString key = m_ui->TabStrip1->tabData(index).toString();
        if (key == QLatin1String(kTabVehicleData))
            m_ui->Frame1->show();
        else if (key == QLatin1String(kTabAngleDiagram))
            m_ui->Picture3->show();
        else if (key == QLatin1String(kTabSpeedDiagram))
            m_ui->Picture2->show();
    } catch (const std::exception& e) {
        m_env.messages.Show("Tab selected", e.what(), MsgIcon::Exclamation);
    }
}

void frmVehicleTurning::ShowGeneralSettings(bool firstRun)
{
    frmSettings form(m_env, this);
    if (firstRun)
        form.MarkFirstRun();
    connect(&form, &frmSettings::Closed, this, [this] { showNormal(); });
    form.exec();
}

void frmVehicleTurning::ShowAbout()
{
    auto* about = new frmAbout(m_env.messages, this);
    about->setAttribute(Qt::WA_DeleteOnClose, true);
    about->show();
}

} // namespace velrok::app
