#include "MainWindowControls.h"

#include "EventLogView.h"
#include "ProgressShape.h"
#include "ReadableColor.h"
#include "report/ReportTexts.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyleOptionFocusRect>
#include <QStylePainter>
#include <QVBoxLayout>
#include <QValidator>

#include <algorithm>
#include <array>
#include <utility>

namespace {

QFont fixedFont()
{
    QFont font(QStringLiteral("Courier New"));
    font.setPointSizeF(8.25);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    if (!QFontInfo(font).fixedPitch()) {
        font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        font.setPointSizeF(8.25);
    }
    // Regular, also inside a frame with a bold caption.
    font.setWeight(QFont::Normal);
    return font;
}

// A font that sets only the weight; everything else follows the window.
QFont weightOnly(QFont::Weight weight)
{
    QFont font;
    font.setWeight(weight);
    return font;
}

// A caption's "&" marks its Alt-letter; the accessible name is the words shown.
QString shownWords(QString caption)
{
    return caption.remove(QLatin1Char('&'));
}

QGroupBox *frame(const QString &caption, QWidget *parent)
{
    auto *box = new QGroupBox(caption, parent);
    box->setAccessibleName(shownWords(caption));
    // Bold caption; the contents are set back to regular once they are built
    // (a style sheet would do it too, but would stop them following the theme).
    box->setFont(weightOnly(QFont::Bold));
    return box;
}

void regularFrameContents(QWidget *window)
{
    for (const QGroupBox *box : window->findChildren<QGroupBox *>())
        for (QWidget *child : box->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            if (!qobject_cast<QGroupBox *>(child) && !child->testAttribute(Qt::WA_SetFont))
                child->setFont(weightOnly(QFont::Normal));
}

template <typename T> T *accessible(T *widget, const QString &name)
{
    widget->setAccessibleName(name);
    return widget;
}

QCheckBox *checkBox(const QString &caption, bool ticked, QWidget *parent)
{
    auto *box = accessible(new QCheckBox(caption, parent), shownWords(caption));
    box->setChecked(ticked);
    return box;
}

QPushButton *button(const QString &caption, QWidget *parent)
{
    return accessible(new QPushButton(caption, parent), shownWords(caption));
}

// A label's accessible name is the text it shows, whenever that changes; one
// that describes an input names it through its buddy.
QLabel *label(const QString &caption, QWidget *parent)
{
    return new QLabel(caption, parent);
}

QLineEdit *textBox(const QString &accessibleName, QWidget *parent)
{
    return accessible(new QLineEdit(parent), accessibleName);
}

// Radio buttons in box, one per caption; a button's id is its place.
QButtonGroup *optionGroup(QGroupBox *box, const QStringList &captions, int selected)
{
    auto *group = new QButtonGroup(box);
    auto *layout = new QVBoxLayout(box);
    for (int i = 0; i < captions.size(); ++i) {
        auto *option = accessible(new QRadioButton(captions[i], box), captions[i]);
        option->setChecked(i == selected);
        group->addButton(option, i);
        layout->addWidget(option);
    }
    return group;
}

// A text box's typing limit. Unlike QLineEdit::setMaxLength it never cuts a
// longer text that the program puts into the box (a listed user name, a stored
// size limit); the user can shorten such a text but not lengthen it.
class TypedLengthValidator final : public QValidator
{
public:
    TypedLengthValidator(int maxLength, QLineEdit *box)
        : QValidator(box), m_box(box), m_maxLength(maxLength), m_length(box->text().size())
    {
        QObject::connect(box, &QLineEdit::textChanged, this,
                         [this](const QString &text) { m_length = text.size(); });
    }

    State validate(QString &input, int &) const override
    {
        // setText() clears the modified flag before the text is validated.
        if (!m_box->isModified())
            return Acceptable;
        return input.size() <= m_maxLength || input.size() <= m_length ? Acceptable : Invalid;
    }

private:
    const QLineEdit *m_box;
    qsizetype m_maxLength;
    qsizetype m_length;
};

void limitTyping(QLineEdit *box, int maxLength)
{
    box->setValidator(new TypedLengthValidator(maxLength, box));
}

// The waiting-time scroll bar, which takes the keyboard focus; the style
// draws no focus mark on scroll bars, so it draws one itself.
class FocusableScrollBar final : public QScrollBar
{
public:
    using QScrollBar::QScrollBar;
    Q_DISABLE_COPY_MOVE(FocusableScrollBar)

protected:
    void paintEvent(QPaintEvent *event) override
    {
        QScrollBar::paintEvent(event);
        if (!hasFocus())
            return;
        QStylePainter painter(this);
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.backgroundColor = palette().color(QPalette::Window);
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, option);
    }
};

const QStringList TypeCaptions = {QStringLiteral("GFX"), QStringLiteral("Text"),
                                  QStringLiteral("Music"), QStringLiteral("Flash")};

} // namespace

void MainWindowControls::buildControls(QWidget *window, QObject *resizeWatcher,
                                       const QString &webHost)
{
    const QFont fixed = fixedFont();
    auto *top = new QHBoxLayout;
    top->addWidget(buildUniqueUserFrame(window, fixed), 2);
    top->addWidget(buildUserListFrame(window, fixed), 3);
    buildLogAndProgress(window, resizeWatcher, fixed);
    buildSettingsFrame(window, resizeWatcher, fixed);
    QLayout *bottom = buildBottomRow(window, webHost);

    auto *layout = new QVBoxLayout(window);
    layout->addLayout(top);
    layout->addWidget(logView, 1);
    layout->addWidget(progressOutline);
    layout->addWidget(settingsFrame);
    layout->addLayout(bottom);

    orderTabs();
    nameControls();
    regularFrameContents(window);
    placeSizeBox(); // the label's width must already allow for the box
    window->setFocusProxy(userNameBox);
    window->resize(window->sizeHint().expandedTo(QSize(760, 0)));
}

QGroupBox *MainWindowControls::buildUniqueUserFrame(QWidget *window, const QFont &fixed)
{
    uniqueUserFrame = frame(QStringLiteral("Get unique user"), window);
    userNameLabel = label(QStringLiteral("&Username:"), uniqueUserFrame);
    userNameBox = textBox(QStringLiteral("Username:"), uniqueUserFrame);
    limitTyping(userNameBox, 22);
    userNameBox->setFont(fixed);
    userNameLabel->setBuddy(userNameBox);
    uniqueGalleryBox = checkBox(QStringLiteral("Get galler&y"), true, uniqueUserFrame);
    uniqueScrapsBox = checkBox(QStringLiteral("Get s&craps"), false, uniqueUserFrame);
    uniqueFavsBox = checkBox(QStringLiteral("Get fav&orites"), false, uniqueUserFrame);
    getButton = button(QStringLiteral("&Get"), uniqueUserFrame);
    getButton->setToolTip(StopKeyHint);

    auto *layout = new QVBoxLayout(uniqueUserFrame);
    layout->addWidget(userNameLabel);
    layout->addWidget(userNameBox);
    layout->addWidget(uniqueGalleryBox);
    layout->addWidget(uniqueScrapsBox);
    layout->addWidget(uniqueFavsBox);
    layout->addStretch(1);
    layout->addWidget(getButton);
    return uniqueUserFrame;
}

QGroupBox *MainWindowControls::buildUserListFrame(QWidget *window, const QFont &fixed)
{
    userListFrame = frame(QStringLiteral("Get multiple users"), window);
    userListBox = accessible(new QListWidget(userListFrame), QStringLiteral("Get multiple users"));
    userListBox->setFont(fixed);
    userListBox->setSelectionMode(QAbstractItemView::SingleSelection);
    // The user list takes the height of the frame beside it rather than setting it.
    userListBox->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Ignored);
    userListBox->setMinimumHeight(userListBox->fontMetrics().height() * 5);
    addButton = button(QStringLiteral("A&dd"), userListFrame);
    removeButton = button(QStringLiteral("&Remove"), userListFrame);
    syncButton = button(QStringLiteral("&Sync all"), userListFrame);
    syncButton->setToolTip(StopKeyHint);
    // The button has no action: shown greyed, saying so, and without an
    // Alt-letter, which the other controls need.
    watchlistButton = button(QStringLiteral("Watchlist"), userListFrame);
    watchlistButton->setEnabled(false);
    watchlistButton->setToolTip(QStringLiteral("The watchlist is not available."));
    watchlistButton->setAccessibleDescription(watchlistButton->toolTip());
    selectionLabel = label(QStringLiteral("Selection:"), userListFrame);
    syncScrapsBox = checkBox(QStringLiteral("Get scra&ps"), false, userListFrame);
    syncFavsBox = checkBox(QStringLiteral("Get fa&vs"), false, userListFrame);

    auto *layout = new QGridLayout(userListFrame);
    layout->addWidget(userListBox, 0, 0, 6, 1);
    layout->addWidget(addButton, 0, 1);
    layout->addWidget(removeButton, 1, 1);
    layout->addWidget(syncButton, 2, 1);
    layout->addWidget(watchlistButton, 3, 1);
    layout->setRowStretch(4, 1);
    auto *flags = new QHBoxLayout;
    flags->addWidget(selectionLabel);
    flags->addWidget(syncScrapsBox);
    flags->addWidget(syncFavsBox);
    flags->addStretch(1);
    layout->addLayout(flags, 6, 0, 1, 2);
    layout->setColumnStretch(0, 1);
    return userListFrame;
}

void MainWindowControls::buildLogAndProgress(QWidget *window, QObject *resizeWatcher,
                                             const QFont &fixed)
{
    logView = accessible(new EventLogView(window), QStringLiteral("Log"));
    logView->setFont(fixed);
    logView->setToolTip(StopKeyHint);
    logView->setAccessibleDescription(StopKeyHint);
    logView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    logView->setMinimumHeight(140);

    // Two bars inside an outline, with the status and speed over them
    progressOutline = accessible(new QFrame(window), QStringLiteral("Progress"));
    progressOutline->setFrameShape(QFrame::Box);
    progressOutline->setMinimumHeight(window->fontMetrics().height() * 2 + 8);
    fileProgressBar =
        accessible(new ProgressShape(progressOutline), QStringLiteral("File progress"));
    queueProgressBar =
        accessible(new ProgressShape(progressOutline), QStringLiteral("Queue progress"));
    for (QFrame *bar : {fileProgressBar, queueProgressBar})
        bar->setAutoFillBackground(true); // in the grey of applyThemeColors()
    statusLabel = label(QString(), progressOutline);
    QFont bold = statusLabel->font();
    bold.setBold(true);
    statusLabel->setFont(bold);
    statusLabel->setAttribute(Qt::WA_TranslucentBackground);
    statusLabel->setBuddy(logView); // so that "&&" shows as one "&"
    speedLabel = label(QStringLiteral("Speed: 0Kb/s"), progressOutline);
    speedLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    speedLabel->setAttribute(Qt::WA_TranslucentBackground);
    progressOutline->installEventFilter(resizeWatcher);
}

void MainWindowControls::buildSettingsFrame(QWidget *window, QObject *resizeWatcher,
                                            const QFont &fixed)
{
    settingsFrame = frame(QStringLiteral("Settings"), window);
    auto *left = new QVBoxLayout;
    left->addWidget(buildCookieFrame(settingsFrame, fixed));
    left->addLayout(buildModeFrames(settingsFrame));
    left->addStretch(1);
    auto *columns = new QHBoxLayout;
    columns->addLayout(left, 3);
    columns->addWidget(buildFilterFrame(settingsFrame, resizeWatcher), 2);
    QVBoxLayout *right = buildOptionColumn(settingsFrame);
    columns->addLayout(right, 2);
    QLayout *folders = buildFolderRows(settingsFrame);
    addEndOfJobBoxes(settingsFrame, right);

    auto *layout = new QVBoxLayout(settingsFrame);
    layout->addLayout(columns);
    layout->addLayout(folders);
}

QGroupBox *MainWindowControls::buildCookieFrame(QWidget *settings, const QFont &fixed)
{
    cookieFrame = frame(QStringLiteral("Cookie data (for adult submissions):"), settings);
    cookieALabel = label(QStringLiteral("&A:"), cookieFrame);
    cookieABox = textBox(QStringLiteral("A:"), cookieFrame);
    cookieABox->setFont(fixed);
    cookieALabel->setBuddy(cookieABox);
    cookieBLabel = label(QStringLiteral("&B:"), cookieFrame);
    cookieBBox = textBox(QStringLiteral("B:"), cookieFrame);
    cookieBBox->setFont(fixed);
    cookieBLabel->setBuddy(cookieBBox);

    auto *layout = new QGridLayout(cookieFrame);
    layout->addWidget(cookieALabel, 0, 0);
    layout->addWidget(cookieABox, 0, 1);
    layout->addWidget(cookieBLabel, 1, 0);
    layout->addWidget(cookieBBox, 1, 1);
    return cookieFrame;
}

QLayout *MainWindowControls::buildModeFrames(QWidget *settings)
{
    namingFrame = frame(QStringLiteral("&File naming"), settings);
    namingGroup = optionGroup(namingFrame,
                              {QStringLiteral("Original filename"), QStringLiteral("Title only"),
                               QStringLiteral("Author - Title")},
                              1);
    folderFrame = frame(QStringLiteral("Folder str&ucture"), settings);
    folderGroup = optionGroup(folderFrame,
                              {QStringLiteral(".%1username%1folder%1").arg(QDir::separator()),
                               QStringLiteral(".%1username-folder%1").arg(QDir::separator()),
                               QStringLiteral(".%1").arg(QDir::separator())},
                              1);
    commonFavsBox = checkBox(QStringLiteral("All favs &in same folder"), true, folderFrame);
    folderFrame->layout()->addWidget(commonFavsBox);

    auto *modes = new QHBoxLayout;
    modes->addWidget(namingFrame);
    modes->addWidget(folderFrame);
    return modes;
}

QGroupBox *MainWindowControls::buildFilterFrame(QWidget *settings, QObject *resizeWatcher)
{
    filterFrame = frame(QStringLiteral("Filters"), settings);
    typeList = accessible(new QListWidget(filterFrame), QStringLiteral("Filters"));
    for (const QString &caption : TypeCaptions) {
        auto *item = new QListWidgetItem(caption, typeList);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        item->setCheckState(Qt::Unchecked);
    }
    // Exactly the four entries, never cut to fewer.
    typeList->setFixedHeight(
        std::max(typeList->sizeHintForRow(0) * 4 + 2 * typeList->frameWidth() + 4,
                 typeList->minimumSizeHint().height()));
    generalBox = checkBox(QStringLiteral("Get ge&neral"), true, filterFrame);
    matureBox = checkBox(QStringLiteral("Get &mature"), true, filterFrame);
    adultBox = checkBox(QStringLiteral("Get adu&lt"), true, filterFrame);
    sizeLimitLabel = label(QStringLiteral("Si&ze limit:                   MB"), filterFrame);
    sizeLimitBox = textBox(QStringLiteral("Size limit:"), sizeLimitLabel);
    limitTyping(sizeLimitBox, 5);
    sizeLimitBox->setText(QStringLiteral("0"));
    sizeLimitLabel->setBuddy(sizeLimitBox);
    sizeLimitLabel->setMinimumHeight(sizeLimitBox->sizeHint().height());
    sizeLimitLabel->installEventFilter(resizeWatcher);

    auto *layout = new QVBoxLayout(filterFrame);
    layout->addWidget(typeList);
    layout->addWidget(generalBox);
    layout->addWidget(matureBox);
    layout->addWidget(adultBox);
    layout->addWidget(sizeLimitLabel);
    layout->addStretch(1);
    return filterFrame;
}

// The column beside the filters: the address fix and the waiting time. The
// two end-of-job boxes join it after the folder rows are made, the order in
// which assistive tools have always met these controls.
QVBoxLayout *MainWindowControls::buildOptionColumn(QWidget *settings)
{
    urlFixBox = checkBox(QStringLiteral("URL e&xception fixing"), false, settings);
    delayLabel = label(QStringLiteral("Waiting time:"), settings);
    delayBar = accessible(new FocusableScrollBar(Qt::Horizontal, settings),
                          QStringLiteral("Waiting time:"));
    delayBar->setRange(5, 60);
    delayBar->setSingleStep(1);
    delayBar->setPageStep(5);
    delayBar->setTracking(false); // a drag takes effect when the thumb is released
    delayBar->setMinimumWidth(120);
    // Arrows, Page Up/Down, Home and End move it once it has the focus.
    delayBar->setFocusPolicy(Qt::StrongFocus);
    // As on a slider: Right, Up and Page Up lengthen the wait (a scroll bar's
    // keys are turned the other way round).
    delayBar->setInvertedControls(false);
    delayLabel->setBuddy(delayBar);

    auto *column = new QVBoxLayout;
    column->addWidget(urlFixBox);
    column->addWidget(delayLabel);
    column->addWidget(delayBar);
    return column;
}

// The folders get the full width: paths are long.
QLayout *MainWindowControls::buildFolderRows(QWidget *settings)
{
    savePathLabel = label(QStringLiteral("S&ave to:"), settings);
    savePathBox = textBox(QStringLiteral("Save to:"), settings);
    savePathLabel->setBuddy(savePathBox);
    browseSaveButton = button(QStringLiteral("Bro&wse"), settings);
    browseSaveButton->setAccessibleDescription(QStringLiteral("Chooses the download folder"));
    favPathLabel = label(QStringLiteral("&Favs folder:"), settings);
    favPathBox = textBox(QStringLiteral("Favs folder:"), settings);
    favPathLabel->setBuddy(favPathBox);
    browseFavsButton = button(QStringLiteral("Brows&e"), settings);
    browseFavsButton->setAccessibleDescription(
        QStringLiteral("Chooses the common folder of the favorites"));
    for (QPushButton *browse : {browseSaveButton, browseFavsButton})
        browse->setToolTip(browse->accessibleDescription());

    auto *folders = new QGridLayout;
    folders->addWidget(savePathLabel, 0, 0);
    folders->addWidget(savePathBox, 0, 1);
    folders->addWidget(browseSaveButton, 0, 2);
    folders->addWidget(favPathLabel, 1, 0);
    folders->addWidget(favPathBox, 1, 1);
    folders->addWidget(browseFavsButton, 1, 2);
    folders->setColumnStretch(1, 1);
    return folders;
}

void MainWindowControls::addEndOfJobBoxes(QWidget *settings, QVBoxLayout *column)
{
    shutdownBox = checkBox(QStringLiteral("S&hutdown PC after synching"), false, settings);
    saveSettingsBox = checkBox(QStringLiteral("Save se&ttings on exit"), true, settings);
    column->addWidget(shutdownBox);
    column->addWidget(saveSettingsBox);
    column->addStretch(1);
}

QLayout *MainWindowControls::buildBottomRow(QWidget *window, const QString &webHost)
{
    aboutButton = button(QStringLiteral("?"), window);
    aboutButton->setAccessibleDescription(QStringLiteral("About ") + ProductName);
    aboutButton->setToolTip(QStringLiteral("About (F1)"));
    aboutButton->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    webPageBox = textBox(QStringLiteral("Web page"), window);
    webPageBox->setFrame(false);
    webPageBox->setReadOnly(true);
    webPageBox->setFont(statusLabel->font()); // bold, as the status
    webPageBox->setText(webHost);
    QPalette sitePalette = webPageBox->palette();
    sitePalette.setColor(QPalette::Base, Qt::transparent);
    webPageBox->setPalette(sitePalette);

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(aboutButton);
    bottom->addWidget(webPageBox, 1);
    return bottom;
}

// One keyboard order that follows the arrangement: top to bottom, and left to
// right within each frame.
void MainWindowControls::orderTabs()
{
    const QList<QWidget *> order = {userNameBox,
                                    uniqueGalleryBox,
                                    uniqueScrapsBox,
                                    uniqueFavsBox,
                                    getButton,
                                    userListBox,
                                    addButton,
                                    removeButton,
                                    syncButton,
                                    watchlistButton,
                                    syncScrapsBox,
                                    syncFavsBox,
                                    logView,
                                    cookieABox,
                                    cookieBBox,
                                    namingGroup->button(0),
                                    namingGroup->button(1),
                                    namingGroup->button(2),
                                    folderGroup->button(0),
                                    folderGroup->button(1),
                                    folderGroup->button(2),
                                    commonFavsBox,
                                    typeList,
                                    generalBox,
                                    matureBox,
                                    adultBox,
                                    sizeLimitBox,
                                    urlFixBox,
                                    delayBar,
                                    shutdownBox,
                                    saveSettingsBox,
                                    savePathBox,
                                    browseSaveButton,
                                    favPathBox,
                                    browseFavsButton,
                                    aboutButton,
                                    webPageBox};
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

// Each control gets its form name, which the rest of the program, the tests
// and the demo know it by; the choices of a group are named after the group
// with their number (Option1_0, ...).
void MainWindowControls::nameControls()
{
    // clang-format off
    const std::pair<QObject *, const char *> names[] = {
        {uniqueUserFrame,  "Frame2"},           {userNameLabel,    "Label1"},
        {userNameBox,      "Txt_Uniuser"},      {uniqueGalleryBox, "Chk_Unigetgal"},
        {uniqueScrapsBox,  "Chk_Unigetscraps"}, {uniqueFavsBox,    "Chk_Unigetfavs"},
        {getButton,        "Cmd_Get"},
        {userListFrame,    "Frame3"},           {userListBox,      "Lst_Names"},
        {addButton,        "Cmd_Add"},          {removeButton,     "Command5"},
        {syncButton,       "Cmd_Sync"},         {watchlistButton,  "Command2"},
        {selectionLabel,   "Label6"},           {syncScrapsBox,    "Chk_Syngetscraps"},
        {syncFavsBox,      "Chk_Syngetfavs"},
        {logView,          "ListView1"},        {progressOutline,  "Shape3"},
        {fileProgressBar,  "Shape2"},           {queueProgressBar, "Shape1"},
        {statusLabel,      "Lbl_Status"},       {speedLabel,       "Label12"},
        {settingsFrame,    "Frame1"},           {cookieFrame,      "Frame4"},
        {cookieALabel,     "Label4"},           {cookieABox,       "Txt_CookieA"},
        {cookieBLabel,     "Label5"},           {cookieBBox,       "Txt_CookieB"},
        {namingFrame,      "Frame7"},           {namingGroup,      "Option1"},
        {folderFrame,      "Frame5"},           {folderGroup,      "Option2"},
        {commonFavsBox,    "Chk_Commonfavs"},   {filterFrame,      "Frame6"},
        {typeList,         "Lst_Types"},        {generalBox,       "Chk_Getgeneral"},
        {matureBox,        "Chk_Getmature"},    {adultBox,         "Chk_Getadult"},
        {sizeLimitLabel,   "Label11"},          {sizeLimitBox,     "Txt_Maxsize"},
        {urlFixBox,        "Chk_urlfix"},       {delayLabel,       "Lbl_Delay"},
        {delayBar,         "Hscr_Delay"},       {savePathLabel,    "Label3"},
        {savePathBox,      "Txt_Path"},         {browseSaveButton, "Cmd_Browsepath"},
        {favPathLabel,     "Label7"},           {favPathBox,       "Txt_Favpath"},
        {browseFavsButton, "Cmd_browsefavs"},   {shutdownBox,      "Chk_Shutdown"},
        {saveSettingsBox,  "Chk_Savesets"},
        {aboutButton,      "Cmd_About"},        {webPageBox,       "Lbl_site"},
    };
    // clang-format on
    for (const auto &[control, name] : names) {
        control->setObjectName(QLatin1StringView(name));
        if (const auto *group = qobject_cast<QButtonGroup *>(control))
            for (QAbstractButton *option : group->buttons())
                option->setObjectName(
                    QStringLiteral("%1_%2").arg(QLatin1StringView(name)).arg(group->id(option)));
    }
}

void MainWindowControls::applyThemeColors(const QPalette &theme)
{
    // Dark blue and dark red captions where they read; on a dark theme the
    // nearest shade that does. "Get general" has the theme's own text colour.
    const std::array<std::pair<QWidget *, QColor>, 2> captions{
        std::pair{matureBox, QColor(0x00, 0x00, 0x80)}, {adultBox, QColor(0x80, 0x00, 0x00)}};
    for (const auto &[box, color] : captions) {
        QPalette palette = box->palette();
        palette.setColor(QPalette::WindowText, readableShade(color, theme.color(QPalette::Window)));
        box->setPalette(palette);
    }
    // The status and speed lie over the bars in the theme's text colour: a
    // light grey that the light text of a dark theme could not be read on
    // is darkened to a grey it can.
    const QColor grey = readableShade(QColor(0xC0, 0xC0, 0xC0), theme.color(QPalette::WindowText));
    for (QWidget *bar :
         {static_cast<QWidget *>(fileProgressBar), static_cast<QWidget *>(queueProgressBar)}) {
        QPalette palette = bar->palette();
        palette.setColor(QPalette::Window, grey);
        bar->setPalette(palette);
    }
}

void MainWindowControls::placeProgressBars(double filePercent, double queuePercent)
{
    const QRect inner = progressOutline->contentsRect();
    const int half = inner.height() / 2;
    // A bar is never narrower than a sliver, so the outline always shows where it starts.
    auto width = [&](double percent) {
        return std::max(2, int(inner.width() * std::clamp(percent, 0.0, 100.0) / 100.0));
    };
    fileProgressBar->setGeometry(inner.left(), inner.top(), width(filePercent), half);
    queueProgressBar->setGeometry(inner.left(), inner.top() + half, width(queuePercent),
                                  inner.height() - half);
    const QRect text = inner.adjusted(4, 0, -4, 0);
    statusLabel->setGeometry(text.left(), text.top(), text.width() * 3 / 4, text.height());
    speedLabel->setGeometry(text.left() + text.width() * 3 / 4, text.top(), text.width() / 4,
                            text.height());
    statusLabel->raise();
    speedLabel->raise();
}

void MainWindowControls::placeSizeBox()
{
    // The box lies over the blanks between "Size limit:" and "MB".
    const QFontMetrics metrics(sizeLimitLabel->font());
    const int left = metrics.horizontalAdvance(QStringLiteral("Size limit: "));
    const int right = metrics.horizontalAdvance(QStringLiteral("Size limit:                  "));
    const int height = sizeLimitBox->sizeHint().height();
    const int width =
        std::max(right - left, metrics.horizontalAdvance(QStringLiteral("00000")) + 12);
    sizeLimitBox->setGeometry(left, (sizeLimitLabel->height() - height) / 2, width, height);
    // A minimum width set by hand replaces the label's own, which fits the whole caption.
    const int needed = std::max(left + width + metrics.horizontalAdvance(QStringLiteral(" MB")),
                                sizeLimitLabel->minimumSizeHint().width());
    if (sizeLimitLabel->minimumWidth() < needed)
        sizeLimitLabel->setMinimumWidth(needed);
}
