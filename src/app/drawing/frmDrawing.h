// The drawing window: the in-memory drawing as the running CAD host. It opens, saves and exports
// the drawing, shows it in a DrawingCanvas with a level list and the named groups of past runs,
// and registers the drawing under the host identifier while it is open, so that Add path, Execute
// and the style form attach to it; closing the window withdraws it (attach then fails with 429).
#pragma once

#include "app/drawing/DrawingCanvas.h"
#include "common/UiServices.h"
#include "host/HostRegistry.h"
#include "host/InMemoryDrawing.h"

#include <QMainWindow>
#include <QTimer>

#include <memory>
#include <string>

class QDoubleSpinBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace velrok::app {

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

    void NewDrawing();
    // The file's drawing replaces the current one; false (after telling the user) when it is refused.
    bool OpenDxf(const std::string& path);
    bool SaveDxf(const std::string& path);
    // The whole drawing fitted into the picture, on the window's dark background.
    bool ExportSvg(const std::string& path);
    bool ExportPng(const std::string& path);
    // Deletes the group's elements with the group: what one sweep run drew.
    void DeleteGroup(host::NamedGroupHandle group);
    // Refreshes the title, the level and group lists and the view from the drawing at once.
    void Refresh();

    QListWidget* LevelList() const { return m_levels; }
    QListWidget* GroupList() const { return m_groups; }

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
    void SaveDxfDialog();
    void ExportSvgDialog();
    void ExportPngDialog();
    void RenderWhole(QPainter& painter, QSize size);

    host::HostRegistry& m_registry;
    MessageService& m_messages;
    std::string m_progId;
    std::shared_ptr<host::InMemoryDrawing> m_drawing;
    bool m_registered = false;

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
};

} // namespace velrok::app
