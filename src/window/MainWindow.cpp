#include "MainWindow.h"

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
    : QMainWindow(parent), m_env(std::move(environment))
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

    m_session = std::make_unique<Session>(m_env, *this, *this);
    logView->setLog(m_session->log());

    // Esc anywhere in the window, or the log's menu, stops the running job.
    m_stop = new QAction(QStringLiteral("&Stop"), this);
    m_stop->setShortcut(QKeySequence(Qt::Key_Escape));
    m_stop->setShortcutContext(Qt::WindowShortcut);
    m_stop->setEnabled(false);
    auto *separator = new QAction(this);
    separator->setSeparator(true);
    logView->addAction(separator);
    logView->addAction(m_stop);

    UserListWidgets widgets;
    widgets.names = userListBox;
    widgets.syncScraps = syncScrapsBox;
    widgets.syncFavs = syncFavsBox;
    widgets.uniqueScraps = uniqueScrapsBox;
    widgets.uniqueFavs = uniqueFavsBox;
    widgets.uniqueUser = userNameBox;
    m_userList =
        std::make_unique<UserList>(state(), *m_env.prompts, widgets, [this] { SaveSettings(); });
    connect(m_userList.get(), &UserList::hiddenWordTyped, this, [this] { state().NoWait = true; });

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
    connect(saveSettingsBox, &QCheckBox::clicked, this, &MainWindow::onSaveSetsClicked);
}

void MainWindow::startUp()
{
    setWindowTitle(ProductName);
    for (int i = 0; i < typeList->count(); ++i)
        typeList->item(i)->setCheckState(Qt::Checked);
    LoadSettings();
    const QString saveFolder = m_env.fileFolders().save;
    if (savePathBox->text().isEmpty()) {
        savePathBox->setText(defaultSavePath(saveFolder));
        // The default of an installed program may not exist yet, and the
        // download folders are made only one level below it.
        QDir().mkpath(saveFolder);
    }
    if (favPathBox->text().isEmpty())
        favPathBox->setText(defaultFavoritesPath(saveFolder));
    state().Delay = startingDelay(state().Delay);
    delayLabel->setText(QStringLiteral("Waiting time: %1s").arg(state().Delay));
    delayBar->setValue(state().Delay);
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

MainWindow::HeldSettings &MainWindow::state()
{
    return m_held;
}

const MainWindow::HeldSettings &MainWindow::state() const
{
    return m_held;
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
    state().UserCount = 0;
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
    case SettingsStatus::Loaded:
        applyStoredSettings(read.values);
        return;
    }
}

void MainWindow::applyStoredSettings(const StoredSettings &values)
{
    if (values.cookieA)
        cookieABox->setText(*values.cookieA);
    if (values.cookieB)
        cookieBBox->setText(*values.cookieB);
    if (values.nameMode)
        namingGroup->button(*values.nameMode)->setChecked(true);
    if (values.folderMode)
        folderGroup->button(*values.folderMode)->setChecked(true);
    fillUserTable(values.users, state());
    if (values.delay)
        state().Delay = int16_t(*values.delay);
    for (int i = 0; i < TypeCount; ++i)
        if (values.types[size_t(i)])
            typeList->item(i)->setCheckState(*values.types[size_t(i)] ? Qt::Checked
                                                                      : Qt::Unchecked);
    const std::array<QCheckBox *, RatingCount> ratingBoxes{generalBox, matureBox, adultBox};
    for (size_t i = 0; i < ratingBoxes.size(); ++i)
        if (values.ratings[i])
            ratingBoxes[i]->setChecked(*values.ratings[i] == 1);
    if (values.commonFavs)
        commonFavsBox->setChecked(*values.commonFavs == 1);
    if (values.shutdown)
        shutdownBox->setChecked(*values.shutdown == 1);
    if (values.urlFix)
        urlFixBox->setChecked(*values.urlFix == 1);
    if (values.maxSize)
        sizeLimitBox->setText(*values.maxSize);
    if (values.savePath)
        savePathBox->setText(*values.savePath);
    if (values.favPath)
        favPathBox->setText(*values.favPath);
}

SettingsSnapshot MainWindow::snapshotSettings() const
{
    SettingsSnapshot snapshot;
    snapshot.cookieA = cookieABox->text();
    snapshot.cookieB = cookieBBox->text();
    snapshot.nameMode = namingGroup->checkedId();
    snapshot.folderMode = folderGroup->checkedId();
    for (int slot = 0; slot <= state().UserCount && slot < UserSlots; ++slot)
        if (!state().Users[size_t(slot)].Name.isEmpty())
            snapshot.users.append(state().Users[size_t(slot)]);
    snapshot.delay = delayBar->value();
    for (int i = 0; i < TypeCount; ++i)
        snapshot.types[size_t(i)] = typeWanted(i);
    snapshot.ratings = {ticked(generalBox) ? 1 : 0, ticked(matureBox) ? 1 : 0,
                        ticked(adultBox) ? 1 : 0};
    snapshot.commonFavs = ticked(commonFavsBox) ? 1 : 0;
    snapshot.shutdown = ticked(shutdownBox) ? 1 : 0;
    snapshot.maxSize = sizeLimitBox->text();
    snapshot.savePath = savePathBox->text();
    snapshot.favPath = favPathBox->text();
    snapshot.urlFix = ticked(urlFixBox) ? 1 : 0;
    return snapshot;
}

void MainWindow::SaveSettings()
{
    if (!ticked(saveSettingsBox))
        return;
    QString error;
    if (!saveSettingsFile(settingsFilePath(), settingsText(snapshotSettings()), &error))
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
    state().Delay = int16_t(value);
    state().NoWait = false;
    delayLabel->setText(QStringLiteral("Waiting time: %1s").arg(state().Delay));
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

// JobSettings

// Texts that go into request lines: a pasted line break is never meant and
// would end a header line early.
QString MainWindow::uniqueUserText() const
{
    return withoutControlCharacters(userNameBox->text());
}
bool MainWindow::uniGetGallery() const
{
    return ticked(uniqueGalleryBox);
}
bool MainWindow::uniGetScraps() const
{
    return ticked(uniqueScrapsBox);
}
bool MainWindow::uniGetFavs() const
{
    return ticked(uniqueFavsBox);
}
bool MainWindow::shutdownTicked() const
{
    return ticked(shutdownBox);
}
void MainWindow::untickShutdown()
{
    shutdownBox->setChecked(false);
}
QString MainWindow::cookieA() const
{
    return withoutControlCharacters(cookieABox->text());
}
QString MainWindow::cookieB() const
{
    return withoutControlCharacters(cookieBBox->text());
}
int MainWindow::nameMode() const
{
    return namingGroup->checkedId();
}
int MainWindow::folderMode() const
{
    return folderGroup->checkedId();
}
bool MainWindow::commonFavs() const
{
    return ticked(commonFavsBox);
}
QString MainWindow::savePathText() const
{
    return savePathBox->text();
}
void MainWindow::setSavePathText(const QString &text)
{
    savePathBox->setText(text);
}
QString MainWindow::favPathText() const
{
    return favPathBox->text();
}
void MainWindow::setFavPathText(const QString &text)
{
    favPathBox->setText(text);
}

bool MainWindow::typeWanted(int entry) const
{
    return entry >= 0 && entry < typeList->count() &&
           typeList->item(entry)->checkState() == Qt::Checked;
}

bool MainWindow::ratingWanted(int rating) const
{
    const std::array<QCheckBox *, RatingCount> boxes{generalBox, matureBox, adultBox};
    return rating >= 0 && rating < RatingCount && ticked(boxes[size_t(rating)]);
}

bool MainWindow::urlFix() const
{
    return ticked(urlFixBox);
}
QString MainWindow::maxSizeText() const
{
    return sizeLimitBox->text();
}

int MainWindow::delaySeconds() const
{
    return state().Delay;
}

bool MainWindow::noWait() const
{
    return state().NoWait;
}

const UserTable &MainWindow::userTable() const
{
    return state();
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
