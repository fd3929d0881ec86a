// The drawing window: menus, tool bar, level and group lists, file commands and registration.
#include "app/drawing/frmDrawing.h"

#include "app/drawing/PathMarkerOverlay.h"
#include "app/results/ConflictBoxOverlay.h"
#include "common/UnsavedWork.h"
#include "host/DxfReader.h"
#include "host/DxfWriter.h"
#include "host/HostColors.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QDockWidget>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QInputDialog>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QStatusBar>
#include <QSvgGenerator>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>

namespace velrok::app {

namespace {

constexpr double kMaxFilletRadius = 1e4;
constexpr int kSvgLongSide = 1600;

std::string DrawingCaption(const std::string& path)
{
    return QFileInfo(QString::fromStdString(path)).fileName().toStdString() + " - " + kDrawingTitle;
}

constexpr const char* kAllRunsItem = "All runs";

std::string UnsavedDrawingText(const host::InMemoryDrawing& drawing, const std::string& path)
{
    const std::string name =
        path.empty() ? std::string("The new drawing")
                     : "The drawing " + QFileInfo(QString::fromStdString(path)).fileName().toStdString();
    const size_t count = drawing.ModelElements().size();
    return name + " has changes that are not saved (" + std::to_string(count) +
           (count == 1 ? " element" : " elements") + " in it).\r\rSave them first?";
}

} // namespace

frmDrawing::frmDrawing(host::HostRegistry& registry, MessageService& messages, std::string progId,
                       QWidget* parent)
    : QMainWindow(parent), m_registry(registry), m_messages(messages), m_progId(std::move(progId))
{
    setObjectName("frmDrawing");
    m_canvas = new DrawingCanvas(this);
    setCentralWidget(m_canvas);
    m_marker = new PathMarkerOverlay(m_canvas);
    BuildMenus();
    BuildSidePanel();
    BuildConflictsDock();
    m_pointerLabel = new QLabel(this);
    m_selectionLabel = new QLabel(this);
    m_selectionLabel->setObjectName("SelectionLabel");
    statusBar()->addWidget(m_pointerLabel, 1);
    m_keptLabel = new QLabel(this);
    m_keptLabel->setObjectName("KeptNotShownLabel");
    statusBar()->addPermanentWidget(m_keptLabel);
    statusBar()->addPermanentWidget(m_selectionLabel);
    connect(m_canvas, &DrawingCanvas::PointerMoved, this, [this](QPointF p) {
        m_pointerLabel->setText(QString("X %1   Y %2").arg(p.x(), 0, 'f', 3).arg(p.y(), 0, 'f', 3));
    });
    connect(m_canvas, &DrawingCanvas::SelectionChanged, this, &frmDrawing::ShowSelectionCount);
    m_refreshTimer.setSingleShot(true);
    m_refreshTimer.setInterval(kDrawingRefreshMs);
    connect(&m_refreshTimer, &QTimer::timeout, this, &frmDrawing::Refresh);
    resize(1000, 700);
    SetDrawing(std::make_shared<host::InMemoryDrawing>(kDrawingTitle));
}

frmDrawing::~frmDrawing()
{
    if (m_drawing)
        m_drawing->SetChangeObserver(nullptr);
    Unregister();
}

void frmDrawing::BuildMenus()
{
    QMenu* file = menuBar()->addMenu("&File");
    file->addAction("&New", this, [this] { NewDrawing(); })->setObjectName("M_DrawingNew");
    file->addAction("&Open DXF...", this, &frmDrawing::OpenDxfDialog)->setObjectName("M_DrawingOpen");
    file->addAction("Save &as DXF...", this, &frmDrawing::SaveDxfDialog)->setObjectName("M_DrawingSave");
    file->addSeparator();
    file->addAction("Export S&VG...", this, &frmDrawing::ExportSvgDialog)->setObjectName("M_DrawingSvg");
    file->addAction("Export &PNG...", this, &frmDrawing::ExportPngDialog)->setObjectName("M_DrawingPng");
    m_exportResults = file->addAction("Export results as &DXF...", this, &frmDrawing::ExportResultsDxfDialog);
    m_exportResults->setObjectName("M_DrawingExportResults");
    m_exportResults->setEnabled(false); // until the results writer is connected
    file->addSeparator();
    file->addAction("&Close", this, &QWidget::close);

    QMenu* view = menuBar()->addMenu("&View");
    QAction* fit = view->addAction("Zoom to &fit", m_canvas, &DrawingCanvas::ZoomToFit);
    fit->setShortcut(QKeySequence("F"));
    view->addAction("Zoom &in", this,
                    [this] {
                        m_canvas->View().ZoomAt(QPointF(m_canvas->width() / 2.0, m_canvas->height() / 2.0),
                                                kWheelZoomStep);
                        m_canvas->update();
                    })
        ->setShortcut(QKeySequence::ZoomIn);
    view->addAction("Zoom &out", this,
                    [this] {
                        m_canvas->View().ZoomAt(QPointF(m_canvas->width() / 2.0, m_canvas->height() / 2.0),
                                                1.0 / kWheelZoomStep);
                        m_canvas->update();
                    })
        ->setShortcut(QKeySequence::ZoomOut);

    QMenu* tools = menuBar()->addMenu("&Tools");
    QToolBar* bar = addToolBar("Tools");
    bar->setObjectName("DrawingTools");
    auto* group = new QActionGroup(this);
    auto addTool = [&](const QString& text, CanvasTool tool, const char* name) {
        QAction* a = tools->addAction(text, this, [this, tool] { m_canvas->SetTool(tool); });
        a->setCheckable(true);
        a->setObjectName(name);
        group->addAction(a);
        bar->addAction(a);
        return a;
    };
    addTool("&Select", CanvasTool::Select, "ToolSelect")->setChecked(true);
    addTool("&Pan", CanvasTool::Pan, "ToolPan");
    addTool("Draw &path", CanvasTool::DrawPath, "ToolDrawPath");
    bar->addSeparator();
    bar->addWidget(new QLabel(" Fillet radius ", this));
    m_fillet = new QDoubleSpinBox(this);
    m_fillet->setObjectName("FilletRadius");
    m_fillet->setRange(0.0, kMaxFilletRadius);
    m_fillet->setDecimals(2);
    m_fillet->setToolTip("Arc radius at the corners of a drawn path (0: sharp corners). "
                         "Click points, double-click, Enter or right-click to finish, Esc to cancel.");
    bar->addWidget(m_fillet);
    connect(m_fillet, &QDoubleSpinBox::valueChanged, m_canvas, &DrawingCanvas::SetFilletRadius);
    bar->addSeparator();
    bar->addAction(fit);
}

void frmDrawing::BuildSidePanel()
{
    auto* panel = new QWidget(this);
    auto* layout = new QVBoxLayout(panel);
    layout->addWidget(new QLabel("Levels", panel));
    m_levels = new QListWidget(panel);
    m_levels->setObjectName("LevelList");
    m_levels->setToolTip("Tick to show a level; the current level receives drawn paths.");
    layout->addWidget(m_levels, 2);
    layout->addWidget(new QLabel("Groups of past runs", panel));
    m_groups = new QListWidget(panel);
    m_groups->setObjectName("GroupList");
    layout->addWidget(m_groups, 1);
    m_deleteGroup = new QPushButton("Delete group", panel);
    m_deleteGroup->setObjectName("DeleteGroupButton");
    m_deleteGroup->setEnabled(false);
    layout->addWidget(m_deleteGroup);
    auto* dock = new QDockWidget("Drawing", this);
    dock->setObjectName("DrawingDock");
    dock->setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    dock->setWidget(panel);
    addDockWidget(Qt::LeftDockWidgetArea, dock);

    connect(m_levels, &QListWidget::itemChanged, this, &frmDrawing::OnLevelItemChanged);
    connect(m_levels, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
        if (item != nullptr)
            m_canvas->SetPathLevel(host::LevelHandle{item->data(Qt::UserRole).toULongLong()});
    });
    connect(m_groups, &QListWidget::itemSelectionChanged, this, &frmDrawing::OnGroupSelected);
    connect(m_deleteGroup, &QPushButton::clicked, this, &frmDrawing::OnDeleteGroupClicked);
}

void frmDrawing::BuildConflictsDock()
{
    constexpr int kConflictsDockHeight = 150; // pixels; the drawing keeps most of the room
    m_conflicts = new ConflictTable(this);
    m_conflictBox =
        new ConflictBoxOverlay(m_canvas, [this](QPointF world) { return m_canvas->View().ToScreen(world); });
    auto* dock = new QDockWidget("Conflicts", this);
    dock->setObjectName("ConflictsDock");
    dock->setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    dock->setWidget(m_conflicts);
    addDockWidget(Qt::BottomDockWidgetArea, dock);
    resizeDocks({dock}, {kConflictsDockHeight}, Qt::Vertical);
    connect(m_conflicts, &ConflictTable::ConflictChosen, this, [this](int, QRectF world) {
        m_canvas->ZoomToBox(world);
        m_conflictBox->SetBox(world);
    });
}

void frmDrawing::ShowConflicts(std::vector<ConflictTableRow> rows)
{
    m_conflictBox->SetBox(std::nullopt);
    m_conflicts->SetRows(std::move(rows));
}

void frmDrawing::SetDrawing(std::shared_ptr<host::InMemoryDrawing> drawing)
{
    if (m_drawing)
        m_drawing->SetChangeObserver(nullptr);
    m_drawing = std::move(drawing);
    m_drawing->SetChangeObserver([this] { ScheduleRefresh(); });
    m_canvas->SetDrawing(m_drawing);
    m_savedEditRevision = m_drawing->EditRevision();
    m_marker->SetMarker(std::nullopt); // the taken path belonged to the drawing before
    ShowConflicts({});                 // and so did the conflicts of the last run
    if (m_registered)
        Register(); // the new drawing is now the running host's
    m_listedRevision = ~0ull;
    Refresh();
}

QString KeptNotShownText(int count)
{
    if (count <= 0)
        return {};
    return count == 1 ? QString("1 entity kept, not shown") : QString("%1 entities kept, not shown").arg(count);
}

bool frmDrawing::IsModified() const
{
    return m_drawing->EditRevision() != m_savedEditRevision;
}

bool frmDrawing::ConfirmDiscardChanges()
{
    return ConfirmUnsavedWork(m_messages, IsModified(), kDrawingTitle,
                              UnsavedDrawingText(*m_drawing, m_filePath),
                              [this] { return SaveDxfDialog(); }) == UnsavedDecision::GoOn;
}

bool frmDrawing::NewDrawing()
{
    if (!ConfirmDiscardChanges())
        return false;
    m_filePath.clear();
    SetDrawing(std::make_shared<host::InMemoryDrawing>(kDrawingTitle));
    m_keptLabel->setText({});
    return true;
}

bool frmDrawing::OpenDxf(const std::string& path)
{
    return ConfirmDiscardChanges() && LoadDxf(path);
}

bool frmDrawing::LoadDxf(const std::string& path)
{
    host::DxfImport import = host::ReadDxfFile(path);
    if (!import.ok()) {
        m_messages.Show(kDrawingTitle, import.error, MsgIcon::Exclamation);
        return false;
    }
    import.drawing->SetCaption(DrawingCaption(path));
    m_filePath = path;
    SetDrawing(import.drawing);
    m_keptLabel->setText(KeptNotShownText(import.keptNotShown));
    m_canvas->ZoomToFit();
    return true;
}

bool frmDrawing::SaveDxf(const std::string& path)
{
    std::string error;
    host::DxfWriteNotes notes;
    if (!host::WriteDxfFile(*m_drawing, path, error, notes)) {
        m_messages.Show(kDrawingTitle, error, MsgIcon::Exclamation);
        return false;
    }
    // Saved all the same; the user is told what the file's version cannot hold (an R12 group).
    for (const std::string& warning : notes.warnings)
        m_messages.Show(kDrawingTitle, warning, MsgIcon::Exclamation);
    m_drawing->SetCaption(DrawingCaption(path));
    m_filePath = path;
    m_savedEditRevision = m_drawing->EditRevision();
    Refresh();
    return true;
}

void frmDrawing::ShowPathMarker(const host::PathMarker& marker)
{
    m_marker->SetMarker(marker);
}

void frmDrawing::ClearPathMarker()
{
    m_marker->SetMarker(std::nullopt);
}

void frmDrawing::SetResultsDxfExport(ResultsDxfExport writer)
{
    m_resultsExport = std::move(writer);
    m_exportResults->setEnabled(static_cast<bool>(m_resultsExport));
}

bool frmDrawing::ExportResultsDxf(std::optional<host::NamedGroupHandle> group, const std::string& path)
{
    if (!m_resultsExport)
        return false;
    std::string error;
    if (!m_resultsExport(*m_drawing, group, path, error)) {
        m_messages.Show(kDrawingTitle, error.empty() ? "Cannot write the file " + path : error,
                        MsgIcon::Exclamation);
        return false;
    }
    return true;
}

void frmDrawing::RenderWhole(QPainter& painter, QSize size)
{
    Viewport view;
    view.SetSize(size);
    view.Fit(m_canvas->Extents());
    m_canvas->Render(painter, view);
}

bool frmDrawing::ExportSvg(const std::string& path)
{
    const QRectF extents = m_canvas->Extents();
    const double aspect =
        extents.width() > 0.0 && extents.height() > 0.0 ? extents.height() / extents.width() : 0.75;
    const QSize size = aspect <= 1.0
                           ? QSize(kSvgLongSide, std::max(1, static_cast<int>(kSvgLongSide * aspect)))
                           : QSize(std::max(1, static_cast<int>(kSvgLongSide / aspect)), kSvgLongSide);
    QSvgGenerator svg;
    svg.setFileName(QString::fromStdString(path));
    svg.setSize(size);
    svg.setViewBox(QRect(QPoint(0, 0), size));
    svg.setTitle(QString::fromStdString(m_drawing->Caption()));
    QPainter painter;
    if (!painter.begin(&svg)) {
        m_messages.Show(kDrawingTitle, "Cannot write the file " + path, MsgIcon::Exclamation);
        return false;
    }
    RenderWhole(painter, size);
    painter.end();
    return true;
}

bool frmDrawing::ExportPng(const std::string& path)
{
    QImage image(kPngExportWidth, kPngExportHeight, QImage::Format_RGB32);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        RenderWhole(painter, image.size());
    }
    if (!image.save(QString::fromStdString(path), "PNG")) {
        m_messages.Show(kDrawingTitle, "Cannot write the file " + path, MsgIcon::Exclamation);
        return false;
    }
    return true;
}

void frmDrawing::DeleteGroup(host::NamedGroupHandle group)
{
    std::vector<host::ElementId> members;
    for (const host::DrawingGroup& g : m_drawing->Groups())
        if (g.handle == group)
            members = g.members;
    for (const host::ElementId& id : members) {
        try {
            m_drawing->DeleteElement(m_drawing->GetElementByID(id));
        } catch (const host::HostError&) {
            // Already gone: an element may belong to several groups.
        }
    }
    m_drawing->DeleteGroup(group);
    m_canvas->SetHighlightedGroup(std::nullopt);
    Refresh();
}

void frmDrawing::ScheduleRefresh()
{
    if (!m_refreshTimer.isActive())
        m_refreshTimer.start();
}

void frmDrawing::Refresh()
{
    m_refreshTimer.stop();
    setWindowTitle(QString::fromStdString(m_drawing->Caption()));
    if (m_drawing->Revision() != m_listedRevision) {
        m_listedRevision = m_drawing->Revision();
        FillLevels();
        FillGroups();
    }
    ShowSelectionCount();
    m_canvas->update();
}

void frmDrawing::FillLevels()
{
    const auto& table = m_drawing->LevelTable();
    // Rebuilt only when the level table changed, so the current item and scroll position stay.
    bool same = m_levels->count() == static_cast<int>(table.size());
    for (int i = 0; same && i < m_levels->count(); ++i)
        same =
            m_levels->item(i)->data(Qt::UserRole).toULongLong() == table[static_cast<size_t>(i)].handle.id &&
            m_levels->item(i)->text() == QString::fromStdString(table[static_cast<size_t>(i)].name);
    if (same)
        return;
    m_filling = true;
    m_levels->clear();
    for (const host::DrawingLevel& level : table) {
        auto* item = new QListWidgetItem(QString::fromStdString(level.name), m_levels);
        item->setData(Qt::UserRole, QVariant::fromValue<qulonglong>(level.handle.id));
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(m_canvas->IsLevelVisible(level.handle) ? Qt::Checked : Qt::Unchecked);
        // A swatch of the level's colour: white, the usual level colour, cannot be read as text.
        QPixmap swatch(12, 12);
        swatch.fill(QColor(QString::fromStdString(level.dxfColor != 0 ? host::AciRgb(level.dxfColor)
                                                                      : host::HostColorRgb(level.color))));
        QPainter(&swatch).drawRect(0, 0, 11, 11);
        item->setIcon(QIcon(swatch));
    }
    m_filling = false;
}

void frmDrawing::FillGroups()
{
    const auto& groups = m_drawing->Groups();
    const qulonglong selected =
        m_groups->currentItem() != nullptr ? m_groups->currentItem()->data(Qt::UserRole).toULongLong() : 0;
    m_filling = true;
    m_groups->clear();
    for (const host::DrawingGroup& group : groups) {
        auto* item = new QListWidgetItem(
            QString("%1 (%2)").arg(QString::fromStdString(group.name)).arg(group.members.size()), m_groups);
        item->setData(Qt::UserRole, QVariant::fromValue<qulonglong>(group.handle.id));
        if (group.handle.id == selected)
            m_groups->setCurrentItem(item);
    }
    m_filling = false;
    m_deleteGroup->setEnabled(m_groups->currentItem() != nullptr);
}

void frmDrawing::ShowSelectionCount()
{
    m_selectionLabel->setText(QString("%1 selected").arg(m_drawing->Selection().size()));
}

void frmDrawing::OnLevelItemChanged(QListWidgetItem* item)
{
    if (m_filling)
        return;
    m_canvas->SetLevelVisible(host::LevelHandle{item->data(Qt::UserRole).toULongLong()},
                              item->checkState() == Qt::Checked);
}

void frmDrawing::OnGroupSelected()
{
    if (m_filling)
        return;
    QListWidgetItem* item = m_groups->currentItem();
    const bool any = item != nullptr && item->isSelected();
    m_deleteGroup->setEnabled(any);
    m_canvas->SetHighlightedGroup(
        any ? std::optional(host::NamedGroupHandle{item->data(Qt::UserRole).toULongLong()}) : std::nullopt);
}

void frmDrawing::OnDeleteGroupClicked()
{
    QListWidgetItem* item = m_groups->currentItem();
    if (item == nullptr)
        return;
    if (m_messages.Show(kDrawingTitle,
                        "Delete the group " + item->text().toStdString() + " and its elements?",
                        MsgIcon::Question, MsgButtons::YesNo) == MsgAnswer::Yes)
        DeleteGroup(host::NamedGroupHandle{item->data(Qt::UserRole).toULongLong()});
}

void frmDrawing::OpenDxfDialog()
{
    // The question comes before the file dialog: a cancelled question opens nothing.
    if (!ConfirmDiscardChanges())
        return;
    const QString path = QFileDialog::getOpenFileName(this, "Open DXF", QString(), "DXF drawings (*.dxf)");
    if (path.isEmpty())
        return;
    LoadDxf(path.toStdString()); // already asked; a refused file leaves the drawing and its changes
}

std::string frmDrawing::ChooseSavePath()
{
    if (m_savePathChooser)
        return m_savePathChooser();
    QString path = QFileDialog::getSaveFileName(this, "Save as DXF", QString::fromStdString(m_filePath),
                                                "DXF drawings (*.dxf)");
    if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty())
        path += ".dxf";
    return path.toStdString();
}

bool frmDrawing::SaveDxfDialog()
{
    const std::string path = ChooseSavePath();
    return !path.empty() && SaveDxf(path);
}

void frmDrawing::ExportResultsDxfDialog()
{
    if (!m_resultsExport)
        return;
    QStringList runs{kAllRunsItem};
    std::vector<host::NamedGroupHandle> handles;
    for (const host::DrawingGroup& group : m_drawing->Groups()) {
        runs << QString::fromStdString(group.name);
        handles.push_back(group.handle);
    }
    if (handles.empty()) {
        m_messages.Show(kDrawingTitle, "The drawing holds no results of a run yet.", MsgIcon::Information);
        return;
    }
    bool ok = false;
    const QString chosen =
        QInputDialog::getItem(this, "Export results as DXF", "Results of", runs, 0, false, &ok);
    if (!ok)
        return;
    const qsizetype index = runs.indexOf(chosen);
    const std::optional<host::NamedGroupHandle> group =
        index > 0 ? std::optional(handles[static_cast<size_t>(index - 1)]) : std::nullopt;
    QString path =
        QFileDialog::getSaveFileName(this, "Export results as DXF", QString(), "DXF drawings (*.dxf)");
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += ".dxf";
    ExportResultsDxf(group, path.toStdString());
}

void frmDrawing::ExportSvgDialog()
{
    QString path = QFileDialog::getSaveFileName(this, "Export SVG", QString(), "SVG pictures (*.svg)");
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += ".svg";
    ExportSvg(path.toStdString());
}

void frmDrawing::ExportPngDialog()
{
    QString path = QFileDialog::getSaveFileName(this, "Export PNG", QString(), "PNG pictures (*.png)");
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += ".png";
    ExportPng(path.toStdString());
}

void frmDrawing::Register()
{
    m_registry.Register(m_progId, m_drawing);
    m_registered = true;
}

void frmDrawing::Unregister()
{
    if (m_registered)
        m_registry.Unregister(m_progId);
    m_registered = false;
}

void frmDrawing::showEvent(QShowEvent* event)
{
    Register();
    QMainWindow::showEvent(event);
}

void frmDrawing::closeEvent(QCloseEvent* event)
{
    if (!ConfirmDiscardChanges()) {
        event->ignore();
        return;
    }
    Unregister();
    QMainWindow::closeEvent(event);
    emit Closed();
}

} // namespace velrok::app
