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

QGroupBox *frame(const QString &name, const QString &caption, QWidget *parent)
{
    auto *box = new QGroupBox(caption, parent);
    box->setObjectName(name);
    box->setAccessibleName(caption);
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

template <typename T> T *named(T *widget, const QString &name, const QString &accessible)
{
    widget->setObjectName(name);
    widget->setAccessibleName(accessible);
    return widget;
}

// A caption's "&" marks its Alt-letter; the accessible name is the words shown.
QString shownWords(QString caption)
{
    return caption.remove(QLatin1Char('&'));
}

QCheckBox *checkBox(const QString &name, const QString &caption, bool ticked, QWidget *parent)
{
    auto *box = named(new QCheckBox(caption, parent), name, shownWords(caption));
    box->setChecked(ticked);
    return box;
}

QPushButton *button(const QString &name, const QString &caption, QWidget *parent)
{
    return named(new QPushButton(caption, parent), name, shownWords(caption));
}

// A label's accessible name is the text it shows, whenever that changes; one
// that describes an input names it through its buddy.
QLabel *label(const QString &name, const QString &caption, QWidget *parent)
{
    auto *text = new QLabel(caption, parent);
    text->setObjectName(name);
    return text;
}

QLineEdit *textBox(const QString &name, const QString &accessible, QWidget *parent)
{
    return named(new QLineEdit(parent), name, accessible);
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

    // "Get unique user"
    auto *frame2 = frame(QStringLiteral("Frame2"), QStringLiteral("Get unique user"), window);
    auto *label1 = label(QStringLiteral("Label1"), QStringLiteral("Username:"), frame2);
    userNameBox = textBox(QStringLiteral("Txt_Uniuser"), QStringLiteral("Username:"), frame2);
    limitTyping(userNameBox, 22);
    userNameBox->setFont(fixed);
    label1->setBuddy(userNameBox);
    uniqueGalleryBox =
        checkBox(QStringLiteral("Chk_Unigetgal"), QStringLiteral("Get ga&llery"), true, frame2);
    uniqueScrapsBox =
        checkBox(QStringLiteral("Chk_Unigetscraps"), QStringLiteral("Get s&craps"), false, frame2);
    uniqueFavsBox =
        checkBox(QStringLiteral("Chk_Unigetfavs"), QStringLiteral("Get fav&orites"), false, frame2);
    getButton = button(QStringLiteral("Cmd_Get"), QStringLiteral("&Get"), frame2);
    {
        auto *layout = new QVBoxLayout(frame2);
        layout->addWidget(label1);
        layout->addWidget(userNameBox);
        layout->addWidget(uniqueGalleryBox);
        layout->addWidget(uniqueScrapsBox);
        layout->addWidget(uniqueFavsBox);
        layout->addStretch(1);
        layout->addWidget(getButton);
    }

    // "Get multiple users"
    auto *frame3 = frame(QStringLiteral("Frame3"), QStringLiteral("Get multiple users"), window);
    userListBox = named(new QListWidget(frame3), QStringLiteral("Lst_Names"),
                        QStringLiteral("Get multiple users"));
    userListBox->setFont(fixed);
    userListBox->setSelectionMode(QAbstractItemView::SingleSelection);
    // The user list takes the height of the frame beside it rather than setting it.
    userListBox->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Ignored);
    userListBox->setMinimumHeight(userListBox->fontMetrics().height() * 5);
    addButton = button(QStringLiteral("Cmd_Add"), QStringLiteral("&Add"), frame3);
    removeButton = button(QStringLiteral("Command5"), QStringLiteral("&Remove"), frame3);
    syncButton = button(QStringLiteral("Cmd_Sync"), QStringLiteral("&Sync all"), frame3);
    watchlistButton = button(QStringLiteral("Command2"), QStringLiteral("&Watchlist"), frame3);
    // The button has no action: shown greyed, saying so.
    watchlistButton->setEnabled(false);
    watchlistButton->setToolTip(QStringLiteral("The watchlist is not available."));
    watchlistButton->setAccessibleDescription(watchlistButton->toolTip());
    auto *label6 = label(QStringLiteral("Label6"), QStringLiteral("Selection:"), frame3);
    syncScrapsBox =
        checkBox(QStringLiteral("Chk_Syngetscraps"), QStringLiteral("Get scra&ps"), false, frame3);
    syncFavsBox =
        checkBox(QStringLiteral("Chk_Syngetfavs"), QStringLiteral("Get fa&vs"), false, frame3);
    {
        auto *layout = new QGridLayout(frame3);
        layout->addWidget(userListBox, 0, 0, 6, 1);
        layout->addWidget(addButton, 0, 1);
        layout->addWidget(removeButton, 1, 1);
        layout->addWidget(syncButton, 2, 1);
        layout->addWidget(watchlistButton, 3, 1);
        layout->setRowStretch(4, 1);
        auto *flags = new QHBoxLayout;
        flags->addWidget(label6);
        flags->addWidget(syncScrapsBox);
        flags->addWidget(syncFavsBox);
        flags->addStretch(1);
        layout->addLayout(flags, 6, 0, 1, 2);
        layout->setColumnStretch(0, 1);
    }

    // The log
    logView = named(new EventLogView(window), QStringLiteral("ListView1"), QStringLiteral("Log"));
    logView->setFont(fixed);
    logView->setRootIsDecorated(false);
    logView->setUniformRowHeights(true);
    logView->setHeaderHidden(true);
    logView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    logView->setMinimumHeight(140);

    // Progress: two bars inside an outline, with the status and speed over them
    progressOutline =
        named(new QFrame(window), QStringLiteral("Shape3"), QStringLiteral("Progress"));
    progressOutline->setFrameShape(QFrame::Box);
    progressOutline->setMinimumHeight(window->fontMetrics().height() * 2 + 8);
    fileProgressBar = named(new ProgressShape(progressOutline), QStringLiteral("Shape2"),
                            QStringLiteral("File progress"));
    queueProgressBar = named(new ProgressShape(progressOutline), QStringLiteral("Shape1"),
                             QStringLiteral("Queue progress"));
    for (QFrame *bar : {fileProgressBar, queueProgressBar})
        bar->setAutoFillBackground(true); // in the grey of applyThemeColors()
    statusLabel = label(QStringLiteral("Lbl_Status"), QString(), progressOutline);
    QFont bold = statusLabel->font();
    bold.setBold(true);
    statusLabel->setFont(bold);
    statusLabel->setAttribute(Qt::WA_TranslucentBackground);
    statusLabel->setBuddy(logView); // so that "&&" shows as one "&"
    speedLabel = label(QStringLiteral("Label12"), QStringLiteral("Speed: 0Kb/s"), progressOutline);
    speedLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    speedLabel->setAttribute(Qt::WA_TranslucentBackground);
    progressOutline->installEventFilter(resizeWatcher);

    // "Settings"
    auto *frame1 = frame(QStringLiteral("Frame1"), QStringLiteral("Settings"), window);

    auto *frame4 = frame(QStringLiteral("Frame4"),
                         QStringLiteral("Cookie data (for adult submissions):"), frame1);
    auto *label4 = label(QStringLiteral("Label4"), QStringLiteral("A:"), frame4);
    cookieABox = textBox(QStringLiteral("Txt_CookieA"), QStringLiteral("A:"), frame4);
    cookieABox->setFont(fixed);
    label4->setBuddy(cookieABox);
    auto *label5 = label(QStringLiteral("Label5"), QStringLiteral("B:"), frame4);
    cookieBBox = textBox(QStringLiteral("Txt_CookieB"), QStringLiteral("B:"), frame4);
    cookieBBox->setFont(fixed);
    label5->setBuddy(cookieBBox);
    {
        auto *layout = new QGridLayout(frame4);
        layout->addWidget(label4, 0, 0);
        layout->addWidget(cookieABox, 0, 1);
        layout->addWidget(label5, 1, 0);
        layout->addWidget(cookieBBox, 1, 1);
    }

    auto makeGroup = [](const QString &groupName, QGroupBox *box, const QStringList &captions,
                        int selected) {
        auto *group = new QButtonGroup(box);
        group->setObjectName(groupName);
        auto *layout = new QVBoxLayout(box);
        for (int i = 0; i < captions.size(); ++i) {
            auto *option = named(new QRadioButton(captions[i], box),
                                 QStringLiteral("%1_%2").arg(groupName).arg(i), captions[i]);
            option->setChecked(i == selected);
            group->addButton(option, i);
            layout->addWidget(option);
        }
        return group;
    };
    auto *frame7 = frame(QStringLiteral("Frame7"), QStringLiteral("File naming"), frame1);
    namingGroup = makeGroup(QStringLiteral("Option1"), frame7,
                            {QStringLiteral("Original filename"), QStringLiteral("Title only"),
                             QStringLiteral("Author - Title")},
                            1);
    auto *frame5 = frame(QStringLiteral("Frame5"), QStringLiteral("Folder structure"), frame1);
    folderGroup = makeGroup(QStringLiteral("Option2"), frame5,
                            {QStringLiteral(".%1username%1folder%1").arg(QDir::separator()),
                             QStringLiteral(".%1username-folder%1").arg(QDir::separator()),
                             QStringLiteral(".%1").arg(QDir::separator())},
                            1);
    commonFavsBox = checkBox(QStringLiteral("Chk_Commonfavs"),
                             QStringLiteral("All favs &in same folder"), true, frame5);
    frame5->layout()->addWidget(commonFavsBox);

    auto *frame6 = frame(QStringLiteral("Frame6"), QStringLiteral("Filters"), frame1);
    typeList =
        named(new QListWidget(frame6), QStringLiteral("Lst_Types"), QStringLiteral("Filters"));
    for (const QString &caption : TypeCaptions) {
        auto *item = new QListWidgetItem(caption, typeList);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        item->setCheckState(Qt::Unchecked);
    }
    // Exactly the four entries, never cut to fewer.
    typeList->setFixedHeight(
        std::max(typeList->sizeHintForRow(0) * 4 + 2 * typeList->frameWidth() + 4,
                 typeList->minimumSizeHint().height()));
    generalBox =
        checkBox(QStringLiteral("Chk_Getgeneral"), QStringLiteral("Get ge&neral"), true, frame6);
    matureBox =
        checkBox(QStringLiteral("Chk_Getmature"), QStringLiteral("Get &mature"), true, frame6);
    adultBox = checkBox(QStringLiteral("Chk_Getadult"), QStringLiteral("Get a&dult"), true, frame6);
    sizeLimitLabel = label(QStringLiteral("Label11"),
                           QStringLiteral("Size limit:                   MB"), frame6);
    sizeLimitBox =
        textBox(QStringLiteral("Txt_Maxsize"), QStringLiteral("Size limit:"), sizeLimitLabel);
    limitTyping(sizeLimitBox, 5);
    sizeLimitBox->setText(QStringLiteral("0"));
    sizeLimitLabel->setBuddy(sizeLimitBox);
    sizeLimitLabel->setMinimumHeight(sizeLimitBox->sizeHint().height());
    sizeLimitLabel->installEventFilter(resizeWatcher);
    {
        auto *layout = new QVBoxLayout(frame6);
        layout->addWidget(typeList);
        layout->addWidget(generalBox);
        layout->addWidget(matureBox);
        layout->addWidget(adultBox);
        layout->addWidget(sizeLimitLabel);
        layout->addStretch(1);
    }

    urlFixBox = checkBox(QStringLiteral("Chk_urlfix"), QStringLiteral("&URL exception fixing"),
                         false, frame1);
    delayLabel = label(QStringLiteral("Lbl_Delay"), QStringLiteral("Waiting time:"), frame1);
    delayBar = named(new FocusableScrollBar(Qt::Horizontal, frame1), QStringLiteral("Hscr_Delay"),
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
    auto *label3 = label(QStringLiteral("Label3"), QStringLiteral("Save to:"), frame1);
    savePathBox = textBox(QStringLiteral("Txt_Path"), QStringLiteral("Save to:"), frame1);
    label3->setBuddy(savePathBox);
    browseSaveButton = button(QStringLiteral("Cmd_Browsepath"), QStringLiteral("&Browse"), frame1);
    auto *label7 = label(QStringLiteral("Label7"), QStringLiteral("Favs folder:"), frame1);
    favPathBox = textBox(QStringLiteral("Txt_Favpath"), QStringLiteral("Favs folder:"), frame1);
    label7->setBuddy(favPathBox);
    browseFavsButton = button(QStringLiteral("Cmd_browsefavs"), QStringLiteral("Brows&e"), frame1);
    shutdownBox = checkBox(QStringLiteral("Chk_Shutdown"),
                           QStringLiteral("S&hutdown PC after synching"), false, frame1);
    saveSettingsBox = checkBox(QStringLiteral("Chk_Savesets"),
                               QStringLiteral("Save se&ttings on exit"), true, frame1);
    {
        auto *modes = new QHBoxLayout;
        modes->addWidget(frame7);
        modes->addWidget(frame5);
        auto *left = new QVBoxLayout;
        left->addWidget(frame4);
        left->addLayout(modes);
        left->addStretch(1);

        auto *right = new QVBoxLayout;
        right->addWidget(urlFixBox);
        right->addWidget(delayLabel);
        right->addWidget(delayBar);
        right->addWidget(shutdownBox);
        right->addWidget(saveSettingsBox);
        right->addStretch(1);

        auto *columns = new QHBoxLayout;
        columns->addLayout(left, 3);
        columns->addWidget(frame6, 2);
        columns->addLayout(right, 2);

        // The folders get the full width: paths are long.
        auto *folders = new QGridLayout;
        folders->addWidget(label3, 0, 0);
        folders->addWidget(savePathBox, 0, 1);
        folders->addWidget(browseSaveButton, 0, 2);
        folders->addWidget(label7, 1, 0);
        folders->addWidget(favPathBox, 1, 1);
        folders->addWidget(browseFavsButton, 1, 2);
        folders->setColumnStretch(1, 1);

        auto *layout = new QVBoxLayout(frame1);
        layout->addLayout(columns);
        layout->addLayout(folders);
    }

    // Bottom row
    aboutButton = button(QStringLiteral("Cmd_About"), QStringLiteral("?"), window);
    aboutButton->setAccessibleDescription(QStringLiteral("About ") + ProductName);
    aboutButton->setToolTip(QStringLiteral("About"));
    aboutButton->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    webPageBox = textBox(QStringLiteral("Lbl_site"), QStringLiteral("Web page"), window);
    webPageBox->setFrame(false);
    webPageBox->setReadOnly(true);
    webPageBox->setFont(bold);
    webPageBox->setText(webHost);
    QPalette sitePalette = webPageBox->palette();
    sitePalette.setColor(QPalette::Base, Qt::transparent);
    webPageBox->setPalette(sitePalette);

    auto *top = new QHBoxLayout;
    top->addWidget(frame2, 2);
    top->addWidget(frame3, 3);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(aboutButton);
    bottom->addWidget(webPageBox, 1);
    auto *layout = new QVBoxLayout(window);
    layout->addLayout(top);
    layout->addWidget(logView, 1);
    layout->addWidget(progressOutline);
    layout->addWidget(frame1);
    layout->addLayout(bottom);

    // One keyboard order that follows the arrangement: top to bottom, and left
    // to right within each frame.
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

    regularFrameContents(window);
    placeSizeBox(); // the label's width must already allow for the box
    window->setFocusProxy(userNameBox);
    window->resize(window->sizeHint().expandedTo(QSize(760, 0)));
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
