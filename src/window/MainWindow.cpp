#include "MainWindow.h"

#include "ArchiveSwitches.h"
#include "EventLogView.h"
#include "ProgressShape.h"
#include "UserList.h"
#include "core/Prompts.h"
#include "core/RequestText.h"
#include "job/RunLock.h"
#include "job/Session.h"
#include "log/EventLog.h"
#include "log/LogColors.h"
#include "report/ErrorReporter.h"
#include "report/ReportTexts.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsMapping.h"
#include "settings/SwitchesFile.h"

#include <QAbstractButton>
#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>

namespace {

bool ticked(const QCheckBox *box)
{
    return box->checkState() == Qt::Checked;
}

} // namespace

MainWindow::MainWindow(AppEnvironment environment, QWidget *parent)
    : QMainWindow(parent), m_env(std::move(environment)),
      // The write-backs set only the control concerned: setting a box the
      // user is typing in would move the cursor.
      m_jobSettings({[this] { return optionsForJob(); },
                     [this](const QString &text) { savePathBox->setText(text); },
                     [this](const QString &text) { favPathBox->setText(text); },
                     [this] { shutdownBox->setChecked(false); }},
                    m_held)
{
    setObjectName(QStringLiteral("Form1"));
    Q_ASSERT(m_env.prompts);
    // On a screen smaller than the window (a laptop, a large scale factor) the
    // controls scroll inside it, so that every one stays reachable.
    auto *scroller = new QScrollArea(this);
    scroller->setObjectName(QStringLiteral("Form1Scroller"));
    scroller->setFrameShape(QFrame::NoFrame);
    scroller->setFocusPolicy(Qt::NoFocus);
    scroller->setWidgetResizable(true);
    auto *contents = new QWidget;
    contents->setObjectName(QStringLiteral("Form1Contents"));
    buildControls(contents, this, m_env.site.webHost);
    // The controls sized their container; the window takes that size where the screen has room.
    QSize size = contents->size();
    scroller->setWidget(contents);
    setCentralWidget(scroller);
    if (const QScreen *screen = this->screen()) {
        QSize room = screen->availableSize();
        room.rheight() -= style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this);
        if (size.height() > room.height())
            size.rwidth() += scroller->verticalScrollBar()->sizeHint().width();
        size = size.boundedTo(room);
    }
    resize(size);
    setFocusProxy(contents);
    applyThemeColors(palette());

    m_session = std::make_unique<Session>(m_env, m_jobSettings, *this);
    logView->setLog(m_session->log());

    // Esc anywhere in the window, or the log's menu, stops the running job.
    // The menu names the key in the item's own words, which screen readers read.
    m_stop = new QAction(QStringLiteral("&Stop (Esc)"), this);
    m_stop->setShortcut(QKeySequence(Qt::Key_Escape));
    m_stop->setShortcutContext(Qt::WindowShortcut);
    m_stop->setShortcutVisibleInContextMenu(false);
    m_stop->setEnabled(false);
    auto *separator = new QAction(this);
    separator->setSeparator(true);
    logView->addAction(separator);
    logView->addAction(m_stop);
    // The switches of the second settings file go above the separator of "Stop".
    m_switches = new ArchiveSwitches(QDir(m_env.fileFolders().settings).filePath(SwitchesFileName),
                                     logView, separator, this);
    connect(m_switches, &ArchiveSwitches::saveFailed, this,
            [this](const QString &line) { AddEvent(line, LogRed); });

    UserListWidgets widgets;
    widgets.names = userListBox;
    widgets.syncScraps = syncScrapsBox;
    widgets.syncFavs = syncFavsBox;
    widgets.uniqueScraps = uniqueScrapsBox;
    widgets.uniqueFavs = uniqueFavsBox;
    widgets.uniqueUser = userNameBox;
    m_userList =
        std::make_unique<UserList>(m_held, *m_env.prompts, widgets, [this] { SaveSettings(); });
    connect(m_userList.get(), &UserList::hiddenWordTyped, this, [this] { m_held.NoWait = true; });

    wireControls();
    startUp();
}

MainWindow::~MainWindow() = default;

QString MainWindow::settingsFilePath() const
{
    return QDir(m_env.fileFolders().settings).filePath(SettingsFileName);
}

void MainWindow::wireControls()
{
    // A run without a window may be using the temporary file of this folder.
    m_runLock = std::make_unique<RunLock>(m_env.fileFolders().settings);
    const auto locked = [this](void (Session::*start)()) {
        if (m_runLock->tryAcquire()) {
            (m_session.get()->*start)();
            // A click that started nothing (no name, no folder, no users) keeps no lock.
            if (!m_session->isJobRunning())
                m_runLock->release();
        } else {
            AddEvent(m_runLock->refusal(), LogRed);
        }
        m_stop->setEnabled(m_session->isJobRunning());
    };
    connect(getButton, &QPushButton::clicked, this, [locked] { locked(&Session::Get); });
    connect(syncButton, &QPushButton::clicked, this, [locked] { locked(&Session::Sync); });
    connect(m_session.get(), &Session::jobEnded, this, [this] {
        m_runLock->release();
        m_stop->setEnabled(false);
    });
    connect(m_stop, &QAction::triggered, m_session.get(), &Session::stopJobByUser);
    connect(addButton, &QPushButton::clicked, this, [this] { m_userList->Add(); });
    connect(removeButton, &QPushButton::clicked, this, [this] { m_userList->Remove(); });
    connect(delayBar, &QScrollBar::valueChanged, this, &MainWindow::onDelayChanged);
    connect(browseSaveButton, &QPushButton::clicked, this, &MainWindow::browseSavePath);
    connect(browseFavsButton, &QPushButton::clicked, this, &MainWindow::browseFavPath);
    connect(aboutButton, &QPushButton::clicked, this, &MainWindow::showAbout);
    // The About button shows only "?": F1 reaches it from anywhere in the window.
    auto *help = new QAction(this);
    help->setShortcut(QKeySequence(Qt::Key_F1));
    help->setShortcutContext(Qt::WindowShortcut);
    addAction(help);
    connect(help, &QAction::triggered, this, &MainWindow::showAbout);
    connect(saveSettingsBox, &QCheckBox::clicked, this, &MainWindow::onSaveSetsClicked);
}

void MainWindow::startUp()
{
    setWindowTitle(ProductName);
    for (int i = 0; i < typeList->count(); ++i)
        typeList->item(i)->setCheckState(Qt::Checked);
    LoadSettings();
    JobOptions options = optionsFromControls();
    // The default of an installed program may not exist yet, and the download
    // folders are made only one level below it.
    if (options.savePath.isEmpty())
        QDir().mkpath(m_env.fileFolders().save);
    applyStartUpDefaults(m_env.fileFolders().save, options);
    showOptions(options);
    m_userList->UpdateUserList();
    if (m_env.updateCheck)
        m_session->checkForUpdate();
}

void MainWindow::unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    // A job cut off by the close leaves nothing partial behind.
    m_session->closeOpenFiles();
    m_session->stopJob();
    SaveSettings();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    unload();
    event->accept();
}

const EventLog &MainWindow::eventLog() const
{
    return m_session->log();
}

void MainWindow::AddEvent(const QString &text, int32_t color)
{
    m_session->log().AddEvent(text, color);
}

void MainWindow::RaiseError(const QString &errorText)
{
    m_session->errors().RaiseError(errorText);
}

void MainWindow::LoadSettings()
{
    m_held.UserCount = 0;
    const SettingsRead read = loadSettingsFile(settingsFilePath());
    switch (read.status) {
    case SettingsStatus::Missing:
    case SettingsStatus::Empty:
        m_env.prompts->firstStartNotice(firstStartNoticeText());
        return;
    case SettingsStatus::Incompatible:
        RaiseError(QStringLiteral("Settings file ") + SettingsFileName +
                   QStringLiteral(" might be incompatible with this version."));
        return;
    case SettingsStatus::Unreadable:
        RaiseError(QStringLiteral("Settings file ") + SettingsFileName +
                   QStringLiteral(" could not be read: ") + read.error);
        return;
    case SettingsStatus::Loaded: {
        JobOptions options = optionsFromControls();
        applyStoredSettings(read.values, options, m_held);
        showOptions(options);
        return;
    }
    }
}

JobOptions MainWindow::optionsFromControls() const
{
    JobOptions options;
    options.uniqueUser = userNameBox->text();
    options.getGallery = ticked(uniqueGalleryBox);
    options.getScraps = ticked(uniqueScrapsBox);
    options.getFavs = ticked(uniqueFavsBox);
    options.shutdown = ticked(shutdownBox);
    options.cookieAText = cookieABox->text();
    options.cookieBText = cookieBBox->text();
    options.naming = namingGroup->checkedId();
    options.folderLayout = folderGroup->checkedId();
    options.allFavsTogether = ticked(commonFavsBox);
    options.savePath = savePathBox->text();
    options.favPath = favPathBox->text();
    for (int i = 0; i < TypeCount; ++i)
        options.types[size_t(i)] =
            i < typeList->count() && typeList->item(i)->checkState() == Qt::Checked;
    options.ratings = {ticked(generalBox), ticked(matureBox), ticked(adultBox)};
    options.fixUrls = ticked(urlFixBox);
    options.maxSize = sizeLimitBox->text();
    options.delay = m_held.Delay;
    options.noWaitMode = m_held.NoWait;
    if (m_switches)
        m_switches->applyTo(options);
    return options;
}

// Texts that go into request lines: a pasted line break is never meant and
// would end a header line early.
JobOptions MainWindow::optionsForJob() const
{
    JobOptions options = optionsFromControls();
    options.uniqueUser = withoutControlCharacters(options.uniqueUser);
    options.cookieAText = withoutControlCharacters(options.cookieAText);
    options.cookieBText = withoutControlCharacters(options.cookieBText);
    return options;
}

void MainWindow::showOptions(const JobOptions &options)
{
    userNameBox->setText(options.uniqueUser);
    uniqueGalleryBox->setChecked(options.getGallery);
    uniqueScrapsBox->setChecked(options.getScraps);
    uniqueFavsBox->setChecked(options.getFavs);
    shutdownBox->setChecked(options.shutdown);
    cookieABox->setText(options.cookieAText);
    cookieBBox->setText(options.cookieBText);
    if (QAbstractButton *naming = namingGroup->button(options.naming))
        naming->setChecked(true);
    if (QAbstractButton *layout = folderGroup->button(options.folderLayout))
        layout->setChecked(true);
    commonFavsBox->setChecked(options.allFavsTogether);
    savePathBox->setText(options.savePath);
    favPathBox->setText(options.favPath);
    for (int i = 0; i < TypeCount && i < typeList->count(); ++i)
        typeList->item(i)->setCheckState(options.types[size_t(i)] ? Qt::Checked : Qt::Unchecked);
    const std::array<QCheckBox *, RatingCount> ratingBoxes{generalBox, matureBox, adultBox};
    for (size_t i = 0; i < ratingBoxes.size(); ++i)
        ratingBoxes[i]->setChecked(options.ratings[i]);
    urlFixBox->setChecked(options.fixUrls);
    sizeLimitBox->setText(options.maxSize);
    // The bar first: it cannot show a stored pause below 5, which the start-up
    // turns into 10, and moving it sets the held pause as well.
    delayBar->setValue(options.delay);
    m_held.Delay = int16_t(options.delay);
    m_held.NoWait = options.noWaitMode;
    delayLabel->setText(QStringLiteral("Waiting time: %1s").arg(m_held.Delay));
}

void MainWindow::SaveSettings()
{
    if (!ticked(saveSettingsBox))
        return;
    QString error;
    if (!saveSettingsFile(settingsFilePath(),
                          settingsText(settingsSnapshot(optionsFromControls(), m_held)), &error))
        RaiseError(QStringLiteral("Could not save the settings to %1: %2\r\nThe user list and "
                                  "settings are not kept until that folder can be written.")
                       .arg(QDir::toNativeSeparators(settingsFilePath()), error));
}

void MainWindow::onSaveSetsClicked()
{
    if (ticked(saveSettingsBox))
        return;
    const auto answer = m_env.prompts->message(Prompts::Icon::Question, ProductName,
                                               QStringLiteral("Clear settings ?"), true);
    if (answer != Prompts::Answer::Yes)
        return;
    QString error;
    if (!clearSettingsFile(settingsFilePath(), &error))
        RaiseError(QStringLiteral("Could not clear the settings in %1: %2")
                       .arg(QDir::toNativeSeparators(settingsFilePath()), error));
}

void MainWindow::onDelayChanged(int value)
{
    m_held.Delay = int16_t(value);
    m_held.NoWait = false;
    delayLabel->setText(QStringLiteral("Waiting time: %1s").arg(m_held.Delay));
    m_session->pauseSettingsChanged();
}

void MainWindow::browseSavePath()
{
    const QString folder = m_env.prompts->chooseFolder(QStringLiteral("Chose download folder"));
    if (!folder.isEmpty())
        savePathBox->setText(folder);
}

void MainWindow::browseFavPath()
{
    const QString folder =
        m_env.prompts->chooseFolder(QStringLiteral("Chose favorites common folder"));
    if (!folder.isEmpty())
        favPathBox->setText(folder);
}

void MainWindow::showAbout()
{
    m_env.prompts->message(Prompts::Icon::Information, ProductName, aboutText(m_env.site.webHost));
}

void MainWindow::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::PaletteChange)
        applyThemeColors(palette());
    QMainWindow::changeEvent(event);
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Resize) {
        if (watched == progressOutline)
            placeProgressBars(m_fileProgress, m_queueProgress);
        else if (watched == sizeLimitLabel)
            placeSizeBox();
    }
    return QMainWindow::eventFilter(watched, event);
}

// JobDisplay

void MainWindow::setStatusCaption(const QString &text)
{
    statusLabel->setText(text);
}
void MainWindow::setSpeedCaption(const QString &text)
{
    speedLabel->setText(text);
}

void MainWindow::setFileProgress(double percent)
{
    m_fileProgress = percent;
    fileProgressBar->setValue(percent);
    placeProgressBars(m_fileProgress, m_queueProgress);
}

void MainWindow::setQueueProgress(double percent)
{
    m_queueProgress = percent;
    queueProgressBar->setValue(percent);
    placeProgressBars(m_fileProgress, m_queueProgress);
}

void MainWindow::setWindowCaption(const QString &text)
{
    setWindowTitle(text);
}

bool MainWindow::windowStateNotNormal() const
{
    return (windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)) !=
           0;
}
