#pragma once

#include "app/clock.h"
#include "app/engines/engine_factory.h"
#include "app/search_session.h"
#include "app/window/desktop.h"
#include "platform/url_cache.h"

#include <QWidget>

#include <array>
#include <memory>
#include <vector>

class SearchStore;
class WorkerThreads;
struct StoredSearch;
class SessionRecorder;
class PictureDownloads;
class PictureActions;
class PictureGrid;
class PictureView;
class FilterInputs;
class ShownPictures;
class ThumbnailCache;
class QComboBox;
class QFrame;
class QLabel;
class QPlainTextEdit;
class QTableView;
class TabControl;

// The main window. It owns the search session, its browsers and the URL cache, and only
// shows and drives the session: start addresses and commands on top, the picture list
// with its buttons in Frame1, the page list, the browsers and the source view in SSTab1,
// and the totals and progress in StatusBar1.
class Form1 : public QWidget {
    Q_OBJECT
public:
    // desktop answers the window's questions and opens addresses; the user's desktop when null.
    // sessionFile keeps the search so that it survives a crash; none when empty.
    // workers parse and read the pages and must outlive the window; none: on its thread.
    explicit Form1(std::unique_ptr<Desktop> desktop = nullptr, QWidget* parent = nullptr,
                   const QString& sessionFile = {}, const EngineChoice& engine = {},
                   WorkerThreads* workers = nullptr);
    ~Form1() override;

    static QString caption(); // "<title> V<major>.<minor>.<revision> - Brinvale"
    static QString exampleStartText(); // two example start addresses, each ended by CR LF

    SearchSession& session() { return *m_session; }
    PictureDownloads& downloader() { return *m_downloader; }
    ShownPictures& shownPictures() { return *m_shown; }
    ThumbnailCache& thumbnails() { return *m_thumbnails; }
    PictureActions& pictureActions() { return *m_actions; }
    // What fills ListView1's rectangle: the list, the grid of thumbnails, or the tab control
    // raised over it.
    enum class PictureViewChoice { List, Grid, Tabs };
    void showPictureView(PictureViewChoice choice);
    // Text1 with its lines ended by CR LF, as the start command reads it.
    QString startText() const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildTop();
    void buildFrame();
    void buildTabs();
    void buildPictureViews(QWidget* frame);
    void buildStatusBar();
    void connectSession();

    void requeueAll();       // "全部重新搜索"
    void fitColumns();       // "等宽显示"
    bool saveAs();           // "另存为"; false when nothing was saved
    void downloadAll();      // "下载全部": the rows shown
    void downloadRows(const std::vector<int>& tableRows, const QString& caption);
    void showCounts();
    void openInfo(const char* address);
    void setActivityColour(ActivityColour colour);
    void openSessionFile(const QString& path);
    void tellSessionFailure(const QString& reason);
    void restoreStartText(const StoredSearch& search); // Text1 of the search restored

    std::unique_ptr<Desktop> m_desktop;
    UrlCache m_cache;
    SteadyClock m_clock;
    std::unique_ptr<Engine> m_engine;
    QList<Browser*> m_browsers;
    std::unique_ptr<SearchSession> m_session;
    std::unique_ptr<PictureDownloads> m_downloader;
    std::unique_ptr<SearchStore> m_store;
    std::unique_ptr<SessionRecorder> m_recorder;
    bool m_unsavedPictures = false; // rows added since the last "另存为"

    QPlainTextEdit* m_text1 = nullptr;
    QFrame* m_shape1 = nullptr;
    TabControl* m_tabs = nullptr;
    QTableView* m_pageList = nullptr;
    PictureView* m_pictureList = nullptr;
    ShownPictures* m_shown = nullptr;
    ThumbnailCache* m_thumbnails = nullptr;
    PictureGrid* m_grid = nullptr;
    PictureActions* m_actions = nullptr;
    FilterInputs* m_filterInputs = nullptr;
    QComboBox* m_viewChoice = nullptr;
    QLabel* m_shownCount = nullptr;
    std::array<QLabel*, 5> m_panels{};
};
