#include "app/window/form1.h"

#include "app/atomic_file.h"
#include "app/downloads/picture_downloads.h"
#include "app/session_recorder.h"
#include "app/session_restore.h"
#include "app/table_formats.h"
#include "app/window/browser_view.h"
#include "app/window/desktop.h"
#include "app/window/filter_inputs.h"
#include "app/window/info_links.h"
#include "app/window/logo_image.h"
#include "app/window/mlistview.h"
#include "app/window/picture_actions.h"
#include "app/window/picture_grid.h"
#include "app/window/picture_view.h"
#include "app/window/shown_pictures.h"
#include "app/window/shown_texts.h"
#include "app/window/source_view.h"
#include "app/window/tab_control.h"
#include "app/window/thumbnail_cache.h"
#include "app/window/twips.h"
#include "build_info.h"
#include "platform/http/net_site_files.h"

#include <cstdio>

#include <QCheckBox>
#include <QComboBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTableView>

#include <functional>

namespace {

constexpr QSize clientSize(883, 637); // 13245 x 9555 twips
const QColor lightGreen(192, 255, 192);

// The one question of the search, put to the user through the desktop.
class DesktopQuestion final : public YesNoQuestion {
public:
    DesktopQuestion(Desktop& desktop, QWidget* parent) : m_desktop(desktop), m_parent(parent) {}
    bool ask(const QString& text) override
    {
        return m_desktop.askYesNo(m_parent, QString::fromUtf8(BuildInfo::title), text);
    }

private:
    Desktop& m_desktop;
    QWidget* m_parent;
};

template <typename Control>
Control* place(Control* control, const char* name, const QRect& rect)
{
    control->setObjectName(QString::fromLatin1(name));
    control->setGeometry(rect);
    return control;
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption, const QRect& rect)
{
    return place(new QPushButton(caption, parent), name, rect);
}

// A label sized to its text, as at design time.
QLabel* label(QWidget* parent, const char* name, const QString& caption, int leftTwips, int topTwips)
{
    auto* control = new QLabel(caption, parent);
    control->setObjectName(QString::fromLatin1(name));
    control->move(twipsToPixels(leftTwips), twipsToPixels(topTwips));
    control->adjustSize();
    return control;
}

} // namespace

Form1::Form1(std::unique_ptr<Desktop> desktop, QWidget* parent, const QString& sessionFile,
             const EngineChoice& engine, WorkerThreads* workers)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                          | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                          | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      m_desktop(desktop ? std::move(desktop) : std::make_unique<SystemDesktop>())
{
    setObjectName(QStringLiteral("Form1"));
    setFixedSize(clientSize);

    // Start-up: the browser slots (each reset to "about:blank" by the session), the
    // caption, the page time-out (the session's default pace), the page list hidden.
    EngineChoice choice = engine;
    choice.slotCount = SearchPace{}.slotCount;
    auto built = buildEngine(choice, &m_cache, workers);
    if (const QString* failure = std::get_if<QString>(&built)) {
        // The window still opens, on the net engine.
        std::fprintf(stderr, "quorvane: %s\n", qPrintable(*failure));
        choice.kind = EngineKind::Net;
        built = buildEngine(choice, &m_cache, workers);
    }
    BuiltEngine& made = std::get<BuiltEngine>(built);
    // What the settings skipped, and a file they name that cannot be read, go to standard
    // error: the window searches on without them.
    for (const QString& note : made.notes + (made.settingsFailure ? QStringList{*made.settingsFailure} : QStringList{}))
        std::fprintf(stderr, "quorvane: %s\n", qPrintable(note));
    m_engine = std::move(made.engine);
    m_browsers = made.browsers;
    CurlSession* curl = made.session;
    m_session = std::make_unique<SearchSession>(m_browsers, m_clock, &m_cache, SearchPace{}, workers);
    m_session->setTypeProbe(m_engine->typeProbe());
    m_session->setPictureProbe(m_engine->pictureProbe());
    m_session->siteRules().setFiles(new NetSiteFiles(this, curl)); // robots.txt and sitemaps, as the engine asks
    m_downloader = std::make_unique<PictureDownloads>(m_session->pictureTable(), curl, &m_cache);
    connect(m_downloader.get(), &PictureDownloads::finished, this, [this] {
        if (!m_downloader->fatalFailure().isEmpty())
            m_desktop->tellFailure(this, tr("下载全部"), tr("下载已停止：%1").arg(m_downloader->fatalFailure()));
    });
    m_shown = new ShownPictures(m_session->pictureTable(), this);
    m_thumbnails = new ThumbnailCache(&m_cache, curl, ThumbnailCache::kDefaultBudget, this);
    setWindowTitle(caption());

    buildTop();
    buildTabs(); // below Frame1, which keeps the picture list whole
    buildFrame();
    buildStatusBar();
    connectSession();
    m_pageList->hide();
    connect(&m_session->pictureTable(), &QAbstractItemModel::rowsInserted, this,
            [this] { m_unsavedPictures = true; });
    if (!sessionFile.isEmpty())
        openSessionFile(sessionFile);

    if (const QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
}

Form1::~Form1()
{
    // Ending without a crash: the next start offers nothing.
    if (m_recorder)
        m_recorder->finish();
    // The views and the rows they show go before the session and the engine they read.
    delete m_grid;
    delete m_pictureList;
    delete m_shown;
    delete m_thumbnails;
}

QString Form1::caption()
{
    return QStringLiteral("%1 V%2.%3.%4 - Brinvale")
        .arg(QString::fromUtf8(BuildInfo::title))
        .arg(BuildInfo::major)
        .arg(BuildInfo::minor)
        .arg(BuildInfo::revision);
}

QString Form1::exampleStartText()
{
    return QStringLiteral("http://www.example.com/\r\nhttp://www.example.org/\r\n");
}

QString Form1::startText() const
{
    // The text box keeps lines apart by LF alone; the start command splits at CR LF.
    return m_text1->toPlainText().replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
}

void Form1::buildTop()
{
    label(this, "Label1", tr("待搜索网站清单："), 135, 75);
    QLabel* slogan = label(this, "Label2", tr("全智能化搜索！整站彻底搜索！"), 2640, 45);
    QPalette red = slogan->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    slogan->setPalette(red);

    m_text1 = place(new QPlainTextEdit(this), "Text1", twipsRect(75, 285, 6120, 1815));
    m_text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_text1->setPlainText(QString(exampleStartText()).replace(QStringLiteral("\r\n"),
                                                              QStringLiteral("\n")));

    QPushButton* start = button(this, "Command3", tr("开始搜索"), twipsRect(6270, 300, 945, 615));
    QPushButton* stop = button(this, "Command4", tr("停止搜索"), twipsRect(6270, 945, 945, 615));
    m_shape1 = place(new QFrame(this), "Shape1", twipsRect(6525, 1650, 435, 465));
    m_shape1->setFrameShape(QFrame::Box);
    m_shape1->setAutoFillBackground(true);
    QPushButton* requeueFailed = button(this, "Command7", tr("重新搜索出错项"), twipsRect(7260, 300, 1500, 615));
    QPushButton* requeueAll = button(this, "Command6", tr("全部重新搜索"), twipsRect(7260, 945, 1500, 615));
    LogoImage* logo = place(new LogoImage(this), "Image1", twipsRect(7260, 1590, 4590, 660));
    QPushButton* latest = button(this, "Command11", tr("最新版本"), twipsRect(8820, 945, 1500, 615));
    QPushButton* maker = button(this, "Command8", tr("其他Brinvale"), twipsRect(10365, 300, 1500, 615));
    QPushButton* custom = button(this, "Command9", tr("定制软件"), twipsRect(10365, 945, 1500, 615));
    QPushButton* addPages = button(this, "Command1", tr("加入下载"), twipsRect(12180, 570, 945, 315));
    addPages->hide(); // the start command runs its action

    connect(addPages, &QPushButton::clicked, this, [this] { m_session->addStartPages(startText()); });
    connect(start, &QPushButton::clicked, this, [this] { m_session->startSearch(startText()); });
    connect(stop, &QPushButton::clicked, this, [this] { m_session->stopSearch(); });
    connect(requeueFailed, &QPushButton::clicked, this, [this] { m_session->requeueFailed(); });
    connect(requeueAll, &QPushButton::clicked, this, &Form1::requeueAll);
    connect(logo, &LogoImage::clicked, this, [this] { openInfo(InfoLinks::homePage); });
    connect(latest, &QPushButton::clicked, this, [this] { openInfo(InfoLinks::programPage); });
    connect(maker, &QPushButton::clicked, this, [this] { openInfo(InfoLinks::homePage); });
    connect(custom, &QPushButton::clicked, this, [this] { openInfo(InfoLinks::customSoftware); });
}

void Form1::buildFrame()
{
    auto* frame = place(new QGroupBox(this), "Frame1", twipsRect(90, 2145, 13095, 7095));
    auto* titles = place(new QCheckBox(tr("提取标题"), frame), "Check1", twipsRect(150, 225, 1215, 285));
    auto* sources = place(new QCheckBox(tr("提取来源"), frame), "Check2", twipsRect(1575, 210, 1170, 300));
    QPushButton* fit = button(frame, "Command5", tr("等宽显示"), twipsRect(3120, 180, 1140, 375));
    QPushButton* save = button(frame, "Command2", tr("另存为"), twipsRect(4335, 180, 1140, 375));
    QPushButton* download = button(frame, "Command12", tr("下载全部"), twipsRect(5550, 180, 1140, 375));
    QPushButton* stopDownload = button(frame, "Command13", tr("停止下载"), twipsRect(6765, 180, 1140, 375));
    m_pictureList = place(new PictureView(*m_shown, frame), "ListView1",
                          twipsRect(75, 645, 12960, 6345));

    connect(titles, &QCheckBox::toggled, this, [this](bool on) { m_session->setExtractTitles(on); });
    connect(sources, &QCheckBox::toggled, this, [this](bool on) { m_session->setExtractSources(on); });
    connect(fit, &QPushButton::clicked, this, &Form1::fitColumns);
    connect(save, &QPushButton::clicked, this, [this] { saveAs(); });
    connect(download, &QPushButton::clicked, this, &Form1::downloadAll);
    connect(stopDownload, &QPushButton::clicked, this, [this] { m_downloader->stop(); });
    connect(m_pictureList, &PictureView::viewPictureRequested, this,
            [this](const QString& address) { openWebAddress(*m_desktop, address); });
    buildPictureViews(frame);
}

void Form1::buildPictureViews(QWidget* frame)
{
    // The free space of the button row, right of "停止下载": the filter and the view choice.
    m_filterInputs = new FilterInputs(frame, QRect(531, 12, 110, 25), QRect(644, 12, 44, 25),
                                      QRect(691, 12, 44, 25), QRect(738, 12, 62, 25));
    m_filterInputs->setParent(this);
    connect(m_filterInputs, &FilterInputs::changed, this, [this] { m_shown->setFilter(m_filterInputs->filter()); });
    m_viewChoice = place(new QComboBox(frame), "ViewChoice", QRect(803, 12, 66, 25));
    m_viewChoice->addItems({tr("列表"), tr("缩略图"), tr("标签页")});
    m_viewChoice->setToolTip(tr("图片列表、缩略图或网页标签页"));
    connect(m_viewChoice, &QComboBox::currentIndexChanged, this,
            [this](int choice) { showPictureView(PictureViewChoice(choice)); });

    // The grid takes ListView1's rectangle and its selection.
    m_grid = place(new PictureGrid(*m_shown, *m_thumbnails, frame), "PictureGrid", m_pictureList->geometry());
    QItemSelectionModel* ownSelection = m_grid->selectionModel();
    m_grid->setSelectionModel(m_pictureList->selectionModel());
    delete ownSelection;
    m_grid->hide();
    connect(m_grid, &PictureGrid::viewPictureRequested, this,
            [this](const QString& address) { openWebAddress(*m_desktop, address); });

    m_actions = new PictureActions(*m_shown, *m_desktop, [this](const std::vector<int>& rows) {
        downloadRows(rows, tr("下载所选的 %1 张图片：选择保存图片的文件夹").arg(rows.size()));
    }, this);
    m_actions->attach(*m_pictureList);
    m_actions->attach(*m_grid);

    // How many rows the filter lets through, over the list's lower right corner.
    m_shownCount = new QLabel(frame);
    m_shownCount->setObjectName(QStringLiteral("ShownCount"));
    m_shownCount->setAutoFillBackground(true);
    m_shownCount->setBackgroundRole(QPalette::ToolTipBase);
    m_shownCount->setForegroundRole(QPalette::ToolTipText);
    m_shownCount->setFrameShape(QFrame::StyledPanel);
    m_shownCount->setMargin(2);
    m_shownCount->hide();
    connect(m_shown, &ShownPictures::countsChanged, this, &Form1::showCounts);
}

void Form1::showPictureView(PictureViewChoice choice)
{
    if (m_viewChoice->currentIndex() != int(choice))
        m_viewChoice->setCurrentIndex(int(choice)); // comes back here
    auto* frame = m_pictureList->parentWidget();
    if (choice == PictureViewChoice::Tabs) {
        // The first tab holds nothing: raised, the tabs open on the first browser.
        if (m_tabs->currentIndex() == 0)
            m_tabs->setCurrentIndex(2);
        // The tabs are smaller than the list's rectangle: nothing half covered shows around them.
        m_grid->hide();
        m_pictureList->hide();
        m_shownCount->hide();
        m_tabs->raise();
        return;
    }
    m_tabs->stackUnder(frame);
    const bool grid = choice == PictureViewChoice::Grid;
    m_grid->setVisible(grid);
    m_pictureList->setVisible(!grid);
    QAbstractItemView* shown = grid ? static_cast<QAbstractItemView*>(m_grid) : m_pictureList;
    if (shown->currentIndex().isValid())
        shown->scrollTo(shown->currentIndex());
    showCounts();
    m_shownCount->raise();
}

void Form1::showCounts()
{
    const bool tabsRaised = m_viewChoice->currentIndex() == int(PictureViewChoice::Tabs);
    m_shownCount->setVisible(m_shown->isFiltering() && !tabsRaised);
    if (!m_shownCount->isVisibleTo(this))
        return;
    m_shownCount->setText(tr("显示 %1 / %2").arg(m_shown->shownCount()).arg(m_shown->totalCount()));
    m_shownCount->adjustSize();
    // Clear of the scroll bars.
    const QRect list = m_pictureList->geometry();
    const int bar = m_pictureList->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 2;
    m_shownCount->move(list.right() - bar - m_shownCount->width(), list.bottom() - bar - m_shownCount->height());
    m_shownCount->raise();
}

void Form1::buildTabs()
{
    m_tabs = place(new TabControl(this), "SSTab1", twipsRect(2490, 3450, 7665, 3780));
    const QStringList captions = {tr("图片网址"), tr("全部网页"),
                                  tr("浏览器0"), tr("浏览器1"),
                                  tr("浏览器2"), tr("源代码")};
    for (const QString& caption : captions)
        m_tabs->addTab(new QWidget, caption);

    m_pageList = new QTableView;
    m_pageList->setObjectName(QStringLiteral("ListView2"));
    auto* shownPages = new ShownPageTable(m_pageList);
    shownPages->setSourceModel(&m_session->pageTable());
    m_pageList->setModel(shownPages);
    m_pageList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_pageList->verticalHeader()->hide();
    const int pageColumnTwips[] = {2500, 4000, 1440, 2000, 1440, 1440, 1440, 1440};
    for (int column = 0; column < int(std::size(pageColumnTwips)); ++column)
        m_pageList->horizontalHeader()->resizeSection(column, twipsToPixels(pageColumnTwips[column]));
    m_tabs->placeOnTab(1, m_pageList, twipsRect(60, 405, 12945, 6765));

    // Holders Picture1(i), each with the view of browser Wb1(i).
    const QRect holders[] = {twipsRect(120, 450, 12975, 6765), twipsRect(105, 450, 12975, 6795),
                             twipsRect(105, 450, 12975, 6795)};
    const QRect views[] = {twipsRect(45, 30, 12825, 6660), twipsRect(30, 30, 12870, 6675),
                           twipsRect(30, 30, 12870, 6690)};
    for (int slot = 0; slot < int(m_browsers.size()) && slot < int(std::size(holders)); ++slot) {
        auto* holder = new QWidget;
        holder->setObjectName(QStringLiteral("Picture1_%1").arg(slot));
        m_tabs->placeOnTab(2 + slot, holder, holders[slot]);
        auto* view = new BrowserView(*m_browsers.at(slot), holder, livePageView(m_browsers.at(slot)));
        view->setObjectName(QStringLiteral("Wb1_%1").arg(slot));
        view->setGeometry(views[slot]);
    }

    auto* source = new SourceView(m_browsers);
    source->setObjectName(QStringLiteral("RichTextBox1"));
    m_tabs->placeOnTab(5, source, twipsRect(120, 435, 12915, 6765));
    m_tabs->setCurrentIndex(0);
}

void Form1::buildStatusBar()
{
    auto* bar = place(new QStatusBar(this), "StatusBar1", twipsRect(0, 9270, 13245, 285));
    bar->setSizeGripEnabled(false);
    const int panelTwips[] = {1440, 1440, 7125, 1440, 1440};
    for (int panel = 0; panel < int(m_panels.size()); ++panel) {
        auto* text = new QLabel(bar);
        text->setObjectName(QStringLiteral("Panel%1").arg(panel + 1));
        text->setFrameShape(QFrame::StyledPanel);
        text->setFrameShadow(QFrame::Sunken);
        text->setFixedWidth(twipsToPixels(panelTwips[panel]));
        text->setText(m_session->statusPanel(panel + 1));
        bar->addWidget(text);
        m_panels[panel] = text;
    }
}

void Form1::connectSession()
{
    connect(m_session.get(), &SearchSession::statusPanelChanged, this,
            [this](int panel, const QString& text) {
                if (panel >= 1 && panel <= int(m_panels.size()))
                    m_panels[panel - 1]->setText(panel == 3 ? shownBrowserStatus(text) : text);
            });
    connect(m_session.get(), &SearchSession::activityColourChanged, this, &Form1::setActivityColour);
    setActivityColour(m_session->activityColour());
}

void Form1::closeEvent(QCloseEvent* event)
{
    if (m_unsavedPictures && m_session->pictureTable().size() > 0) {
        const SaveChoice choice = m_desktop->askSave(this, QString::fromUtf8(BuildInfo::title),
                                                     tr("是否保存图片列表？"));
        if (choice == SaveChoice::Cancel || (choice == SaveChoice::Save && !saveAs())) {
            event->ignore();
            return;
        }
    }
    // Shut-down: the stop command, one pass of pending events, then the end. Downloads
    // under way are cancelled, so that no partial picture stays behind.
    m_downloader->stop();
    m_session->stopSearch();
    QCoreApplication::processEvents();
    if (m_recorder)
        m_recorder->finish();
    event->accept();
}

void Form1::requeueAll()
{
    DesktopQuestion question(*m_desktop, this);
    m_session->requeueAll(question);
}

void Form1::fitColumns()
{
    MListView::setAllColumnWidths(*m_pictureList, MListView::autoSizeUseHeader);
}

bool Form1::saveAs()
{
    // Cd1. With a filter on, the rows shown are saved, and the title says so.
    m_shown->finishJudging();
    const bool filtered = m_shown->shownCount() < m_shown->totalCount();
    QFileDialog dialog(this, filtered ? tr("另存为（显示的 %1 行，共 %2 行）").arg(m_shown->shownCount()).arg(m_shown->totalCount())
                                      : tr("另存为"));
    dialog.setObjectName(QStringLiteral("Cd1"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    dialog.setNameFilter(QStringLiteral("*.txt"));
    const std::optional<QString> path = m_desktop->chooseFile(dialog);
    if (!path)
        return false;
    const auto shown = [this](int row) { return m_shown->showsTableRow(row); };
    const QByteArray text = filtered ? pictureTableText(m_session->pictureTable(), TableFormat::Tsv, shown)
                                     : pictureTableText(m_session->pictureTable(), TableFormat::Tsv);
    if (const auto failure = writeFileAtomically(*path, text)) {
        m_desktop->tellFailure(this, QString::fromUtf8(BuildInfo::title),
                               tr("无法保存到 %1：%2").arg(*path, *failure));
        return false;
    }
    m_unsavedPictures = filtered; // rows the filter hid are still unsaved
    return true;
}

void Form1::downloadAll()
{
    m_shown->finishJudging();
    if (m_shown->shownCount() == m_shown->totalCount()) {
        const std::optional<QString> folder =
            m_desktop->chooseFolder(this, tr("下载全部：选择保存图片的文件夹"));
        if (folder)
            m_downloader->downloadAll(*folder);
        return;
    }
    std::vector<int> rows;
    rows.reserve(size_t(m_shown->shownCount()));
    for (int row = 0; row < m_shown->shownCount(); ++row)
        rows.push_back(m_shown->tableRow(row));
    downloadRows(rows, tr("下载显示的 %1 张图片（共 %2 张）：选择保存图片的文件夹")
                           .arg(m_shown->shownCount())
                           .arg(m_shown->totalCount()));
}

void Form1::downloadRows(const std::vector<int>& tableRows, const QString& caption)
{
    const std::optional<QString> folder = m_desktop->chooseFolder(this, caption);
    if (!folder)
        return;
    std::vector<bool> wanted(size_t(m_session->pictureTable().size()));
    for (const int row : tableRows)
        wanted[size_t(row)] = true;
    m_downloader->downloadAll(*folder, [wanted = std::move(wanted)](int row) {
        return row >= 0 && size_t(row) < wanted.size() && wanted[size_t(row)];
    });
}

void Form1::openInfo(const char* address)
{
    openWebAddress(*m_desktop, QString::fromLatin1(address));
}

void Form1::setActivityColour(ActivityColour colour)
{
    QPalette palette = m_shape1->palette();
    palette.setColor(QPalette::Window, colour == ActivityColour::LightGreen ? lightGreen : QColor(Qt::white));
    m_shape1->setPalette(palette);
}

void Form1::openSessionFile(const QString& path)
{
    auto opened = openSearchStore(path);
    if (const QString* reason = std::get_if<QString>(&opened)) {
        tellSessionFailure(*reason);
        return;
    }
    std::unique_ptr<SearchStore> store = std::move(std::get<std::unique_ptr<SearchStore>>(opened));
    const auto stored = store->read(SessionRecorder::pictureRowsInMemory);
    if (const QString* reason = std::get_if<QString>(&stored)) {
        tellSessionFailure(*reason);
        return;
    }
    const StoredSearch& search = std::get<StoredSearch>(stored);
    const bool brokenOff = !search.endedCleanly && (!search.pages.isEmpty() || search.pictureRecords > 0);
    Restored restored = Restored::AsStored;
    const auto keepRowsInFile = [&] {
        m_session->pictureTable().keepRowsIn(store->pictureArchive(), SessionRecorder::pictureRowsInMemory);
    };
    if (brokenOff && m_desktop->askYesNo(this, QString::fromUtf8(BuildInfo::title),
                                         tr("上次的搜索没有正常结束，要恢复吗？"))) {
        keepRowsInFile();
        restored = restoreSearch(*m_session, search);
        if (restored == Restored::RowsLeftInFile) {
            // The search goes on unrecorded; the store is kept, as the table's archive must outlive it.
            tellSessionFailure(rowsLeftInFileReason(path, SessionRecorder::pictureRowsInMemory));
            m_store = std::move(store);
            return;
        }
        restoreStartText(search);
        findChild<QCheckBox*>(QStringLiteral("Check1"))->setChecked(search.titles);
        findChild<QCheckBox*>(QStringLiteral("Check2"))->setChecked(search.sources);
    } else if (const auto failure = store->clear()) {
        tellSessionFailure(*failure);
        return;
    } else {
        keepRowsInFile();
    }
    m_store = std::move(store);
    m_recorder = std::make_unique<SessionRecorder>(*m_session, *m_store);
    connect(m_recorder.get(), &SessionRecorder::failed, this, &Form1::tellSessionFailure);
    if (restored == Restored::Renumbered)
        m_recorder->rewriteWhole();
}

void Form1::restoreStartText(const StoredSearch& search)
{
    // The start command adds each start address as a page titled "[添加]", which no later
    // step renames: those pages, in their order, are what the box held.
    QStringList lines;
    for (const StoredPage& page : search.pages) {
        if (page.title == QStringLiteral("[添加]"))
            lines.append(page.address);
    }
    if (!lines.isEmpty())
        m_text1->setPlainText(lines.join(QLatin1Char('\n')) + QLatin1Char('\n'));
}

void Form1::tellSessionFailure(const QString& reason)
{
    // The search goes on; only its record is lost.
    m_desktop->tellFailure(this, QString::fromUtf8(BuildInfo::title),
                           tr("无法保存搜索记录：%1").arg(reason));
}
