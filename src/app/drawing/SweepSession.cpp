// Add path, Execute, the drawing window and the style form as the main window uses them.
#include "app/drawing/SweepSession.h"

#include "app/FormPlacement.h"
#include "app/diagrams/ResultDiagrams.h"
#include "app/styles/frmVehicleTurningSettings.h"
#include "host/DxfWriter.h"

#include <QAction>
#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QVBoxLayout>
#include <QWidget>

namespace velrok::app {

class SweepSession::Clock : public SweepClock {
  public:
    Clock() { m_timer.start(); }
    std::string NowYYMMDDhhmmss() const override
    {
        return QDateTime::currentDateTime().toString("yyMMddhhmmss").toStdString();
    }
    double MonotonicMs() const override { return static_cast<double>(m_timer.nsecsElapsed()) / 1e6; }

  private:
    QElapsedTimer m_timer;
};

class SweepSession::Random : public RandomSource {
  public:
    double Uniform() override { return QRandomGenerator::global()->generateDouble(); }
};

namespace {

constexpr const char* kExampleName = "examples/roundabout.dxf";

ResultDiagram* PlaceDiagram(QWidget* picture, DiagramKind kind, MessageService& messages, char separator)
{
    auto* diagram = new ResultDiagram(kind, &messages, separator, picture);
    auto* layout = new QVBoxLayout(picture);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(diagram);
    return diagram;
}

} // namespace

std::string FindExampleDrawing(const std::string& programFolder)
{
    const QString folder = QString::fromStdString(programFolder);
    for (const QString& candidate : {folder + "/" + kExampleName, folder + "/../" + kExampleName,
                                     QString(VELROK_EXAMPLES_SOURCE_DIR) + "/roundabout.dxf"})
        if (QFileInfo::exists(candidate))
            return QFileInfo(candidate).absoluteFilePath().toStdString();
    return {};
}

SweepSession::SweepSession(SweepSessionServices services, QWidget* anglePicture, QWidget* speedPicture,
                           QWidget* owner)
    : QObject(owner), m_services(services), m_owner(owner), m_clock(std::make_unique<Clock>()),
      m_random(std::make_unique<Random>())
{
    m_angle =
        PlaceDiagram(anglePicture, DiagramKind::Angle, m_services.messages, m_services.decimalSeparator);
    m_speed =
        PlaceDiagram(speedPicture, DiagramKind::Speed, m_services.messages, m_services.decimalSeparator);
}

SweepSession::~SweepSession()
{
    m_styleForm.reset();
    m_drawing.reset();
}

frmDrawing* SweepSession::CreateDrawingWindow()
{
    if (!m_drawing) {
        m_drawing = std::make_unique<frmDrawing>(m_registry, m_services.messages, m_services.progId);
        m_drawing->SetResultsDxfExport(
            [this](const host::InMemoryDrawing& drawing, std::optional<host::NamedGroupHandle> group,
                   const std::string& path, std::string& error) {
                host::DxfWriteNotes notes;
                if (!host::WriteResultsDxfFile(drawing, group, path, error, notes))
                    return false;
                // Written all the same; the user is told which members it could not hold.
                for (const std::string& warning : notes.warnings)
                    m_services.messages.Show(kDrawingTitle, warning, MsgIcon::Exclamation);
                return true;
            });
        const std::string example = FindExampleDrawing(QCoreApplication::applicationDirPath().toStdString());
        if (!example.empty())
            m_drawing->OpenDxf(example);
        connect(m_drawing.get(), &frmDrawing::Closed, this, &SweepSession::StoreDrawingGeometry);
    }
    return m_drawing.get();
}

void SweepSession::ShowDrawingWindow()
{
    CreateDrawingWindow()->show();
    m_drawing->raise();
}

bool SweepSession::ConfirmDiscardDrawing()
{
    return !m_drawing || m_drawing->ConfirmDiscardChanges();
}

void SweepSession::StoreDrawingGeometry()
{
    if (m_drawing)
        StoreGeometry(m_services.settings, kDrawingWindowGeometrySetting, m_drawing.get());
}

bool SweepSession::AddPath()
{
    host::PathMarker marker;
    if (!host::AddPath(m_registry, m_services.progId, m_services.messages, m_services.status, m_path,
                       &marker))
        return false;
    m_services.status.SetPanel(1, host::PathLengthText(marker.length, m_services.decimalSeparator));
    if (m_drawing)
        m_drawing->ShowPathMarker(marker);
    return true;
}

void SweepSession::SetLocked(bool locked)
{
    if (locked) {
        m_wasEnabled.clear();
        for (const auto& w : m_lockedWidgets) {
            m_wasEnabled.push_back(w && w->isEnabled());
            if (w)
                w->setEnabled(false);
        }
        for (const auto& a : m_lockedActions) {
            m_wasEnabled.push_back(a && a->isEnabled());
            if (a)
                a->setEnabled(false);
        }
        return;
    }
    size_t i = 0;
    for (const auto& w : m_lockedWidgets)
        if (w)
            w->setEnabled(m_wasEnabled.at(i++));
        else
            ++i;
    for (const auto& a : m_lockedActions)
        if (a)
            a->setEnabled(m_wasEnabled.at(i++));
        else
            ++i;
}

bool SweepSession::Execute(const SweepInputs& inputs)
{
    if (m_running)
        return false; // the controls are locked; a second run inside a yield would share its state
    m_running = true;
    SetLocked(true);
    emit RunStarted();
    ResultDiagrams diagrams(*m_angle, *m_speed);
    SweepServices services{m_services.messages,
                           m_services.status,
                           m_services.run,
                           m_services.settings,
                           m_registry,
                           m_services.progId,
                           m_services.clock != nullptr ? *m_services.clock : *m_clock,
                           *m_random,
                           diagrams,
                           &m_activator,
                           m_services.decimalSeparator};
    bool started = false;
    try {
        started = ExecuteCommand(inputs, m_path.Id(), services, m_results);
    } catch (...) {
        SetLocked(false);
        m_running = false;
        throw;
    }
    SetLocked(false);
    m_running = false;
    if (m_drawing) {
        // Every run replaces the table, so one without conflicts leaves none of an earlier run's.
        std::vector<ConflictTableRow> rows;
        for (const ConflictRow& r : ConflictRows(m_results.Conflicts))
            rows.push_back({r.kind, r.element, r.firstStation, r.lastStation, r.depth, r.leastClearance,
                            r.zoom.minX, r.zoom.minY, r.zoom.maxX, r.zoom.maxY});
        m_drawing->ShowConflicts(std::move(rows));
        m_drawing->Refresh();
    }
    emit RunFinished();
    return started;
}

void SweepSession::ShowStyleForm()
{
    m_styleForm = std::make_unique<frmVehicleTurningSettings>(m_services.settings, m_services.messages,
                                                              m_registry, m_services.progId, m_owner);
    m_styleForm->setAttribute(Qt::WA_DeleteOnClose, false);
    m_styleForm->show();
    m_styleForm->Load();
}

} // namespace velrok::app
