// The drawing window: the in-memory drawing as the running CAD host. It opens, saves and exports
// the drawing, shows it in a DrawingCanvas with a level list and the named groups of past runs,
// and registers the drawing under the host identifier while it is open, so that Add path, Execute
// and the style form attach to it; closing the window withdraws it (attach then fails with 429).
#pragma once

#include "app/drawing/DrawingCanvas.h"
#include "app/results/ConflictTable.h"
#include "common/UiServices.h"
#include "host/HostRegistry.h"
#include "host/InMemoryDrawing.h"
#include "host/PathAcquisition.h"

#include <QMainWindow>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>
#include <string>

class QDoubleSpinBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace velrok::app {

class ConflictBoxOverlay;
class PathMarkerOverlay;

// Writes a DXF that holds only the results of one run (its named group) or of every run (no group):
// their levels, elements and groups. False with `error` set when the file could not be written.
using ResultsDxfExport =
    std::function<bool(const host::InMemoryDrawing& drawing, std::optional<host::NamedGroupHandle> group,
                       const std::string& path, std::string& error)>;

inline constexpr const char* kDrawingTitle = "Velrok drawing";
inline constexpr int kDrawingRefreshMs = 150; // coalesces the many changes of a sweep run
inline constexpr int kPngExportWidth = 1600, kPngExportHeight = 1200;

// The status-bar note of the entities a DXF file held that the drawing keeps but does not show;
// empty when there are none.
QString KeptNotShownText(int count);

class frmDrawing : public QMainWindow {
    Q_OBJECT
  public:
    frmDrawing(host::HostRegistry& registry, MessageService& messages,
               std::string progId = host::kStandardProgId, QWidget* parent = nullptr);
    ~frmDrawing() override;

    std::shared_ptr<host::InMemoryDrawing> Drawing() const { return m_drawing; }
    DrawingCanvas* Canvas() const { return m_canvas; }
    bool IsRegistered() const { return m_registered; }

    // Both ask Save / Discard / Cancel first when the drawing has unsaved changes; false when the
    // user stayed with the current drawing or (OpenDxf, after telling the user) the file is refused.
    bool NewDrawing();
    bool OpenDxf(const std::string& path);
    bool SaveDxf(const std::string& path);
    // The drawing changed since it was opened, started or last saved (selecting is no change).
    bool IsModified() const;
    // The question before the drawing would be thrown away: true when the caller may go on (saved,
    // discarded or nothing to save), false when the user cancelled or the save did not succeed.
    bool ConfirmDiscardChanges();
    // Where "Save as DXF..." and the question's Save write. Unset: a file dialog; an empty answer
    // means the user cancelled. Tests set it.
    void SetSavePathChooser(std::function<std::string()> chooser) { m_savePathChooser = std::move(chooser); }
    // The file the drawing was last opened from or saved to; empty for a new drawing.
    const std::string& FilePath() const { return m_filePath; }

    // The start and leaving direction of the taken path, drawn over the drawing (never in it).
    void ShowPathMarker(const host::PathMarker& marker);
    void ClearPathMarker();
    PathMarkerOverlay* MarkerOverlay() const { return m_marker; }

    // "Export results as DXF...": enabled once the writer is connected. `group` empty: all runs.
    void SetResultsDxfExport(ResultsDxfExport writer);
    bool ExportResultsDxf(std::optional<host::NamedGroupHandle> group, const std::string& path);
    // The whole drawing fitted into the picture, on the window's dark background.
    bool ExportSvg(const std::string& path);
    bool ExportPng(const std::string& path);
    // Deletes the group's elements with the group: what one sweep run drew.
    void DeleteGroup(host::NamedGroupHandle group);
    // Refreshes the title, the level and group lists and the view from the drawing at once.
    void Refresh();

    QListWidget* LevelList() const { return m_levels; }
    QListWidget* GroupList() const { return m_groups; }

    // The conflicts of the last run in the "Conflicts" dock, in the given order; a run without
    // conflicts empties it. Choosing a row zooms the canvas to the row's box and marks the box.
    void ShowConflicts(std::vector<ConflictTableRow> rows);
    ConflictTable* Conflicts() const { return m_conflicts; }
    ConflictBoxOverlay* ConflictMarker() const { return m_conflictBox; }

  signals:
    // The window was closed and the drawing withdrawn from the registry.
    void Closed();

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void BuildMenus();
    void BuildSidePanel();
    void SetDrawing(std::shared_ptr<host::InMemoryDrawing> drawing);
    bool LoadDxf(const std::string& path);
    void Register();
    void Unregister();
    void ScheduleRefresh();
    void FillLevels();
    void FillGroups();
    void ShowSelectionCount();
    void OnLevelItemChanged(QListWidgetItem* item);
    void OnGroupSelected();
    void OnDeleteGroupClicked();
    void OpenDxfDialog();
    bool SaveDxfDialog();
    void ExportResultsDxfDialog();
    std::string ChooseSavePath();
    void ExportSvgDialog();
    void ExportPngDialog();
    void RenderWhole(QPainter& painter, QSize size);

    host::HostRegistry& m_registry;
    MessageService& m_messages;
    std::string m_progId;
    std::shared_ptr<host::InMemoryDrawing> m_drawing;
    bool m_registered = false;
    uint64_t m_savedEditRevision = 0;
    std::string m_filePath;
    std::function<std::string()> m_savePathChooser;
    ResultsDxfExport m_resultsExport;
    QAction* m_exportResults = nullptr;
    PathMarkerOverlay* m_marker = nullptr;

    DrawingCanvas* m_canvas = nullptr;
    QListWidget* m_levels = nullptr;
    QListWidget* m_groups = nullptr;
    QPushButton* m_deleteGroup = nullptr;
    QDoubleSpinBox* m_fillet = nullptr;
    QLabel* m_pointerLabel = nullptr;
    QLabel* m_selectionLabel = nullptr;
    QLabel* m_keptLabel = nullptr;
    QTimer m_refreshTimer;
    uint64_t m_listedRevision = ~0ull;
    bool m_filling = false;

    void BuildConflictsDock();
    ConflictTable* m_conflicts = nullptr;
    ConflictBoxOverlay* m_conflictBox = nullptr;
};

} // namespace velrok::app
