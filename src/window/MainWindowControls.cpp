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
    Txt_Uniuser = textBox(QStringLiteral("Txt_Uniuser"), QStringLiteral("Username:"), frame2);
    limitTyping(Txt_Uniuser, 22);
    Txt_Uniuser->setFont(fixed);
    label1->setBuddy(Txt_Uniuser);
    Chk_Unigetgal =
        checkBox(QStringLiteral("Chk_Unigetgal"), QStringLiteral("Get ga&llery"), true, frame2);
    Chk_Unigetscraps =
        checkBox(QStringLiteral("Chk_Unigetscraps"), QStringLiteral("Get s&craps"), false, frame2);
    Chk_Unigetfavs =
        checkBox(QStringLiteral("Chk_Unigetfavs"), QStringLiteral("Get fav&orites"), false, frame2);
    Cmd_Get = button(QStringLiteral("Cmd_Get"), QStringLiteral("&Get"), frame2);
    {
        auto *layout = new QVBoxLayout(frame2);
        layout->addWidget(label1);
        layout->addWidget(Txt_Uniuser);
        layout->addWidget(Chk_Unigetgal);
        layout->addWidget(Chk_Unigetscraps);
        layout->addWidget(Chk_Unigetfavs);
        layout->addStretch(1);
        layout->addWidget(Cmd_Get);
    }

    // "Get multiple users"
    auto *frame3 = frame(QStringLiteral("Frame3"), QStringLiteral("Get multiple users"), window);
    Lst_Names = named(new QListWidget(frame3), QStringLiteral("Lst_Names"),
                      QStringLiteral("Get multiple users"));
    Lst_Names->setFont(fixed);
    Lst_Names->setSelectionMode(QAbstractItemView::SingleSelection);
    // The user list takes the height of the frame beside it rather than setting it.
    Lst_Names->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Ignored);
    Lst_Names->setMinimumHeight(Lst_Names->fontMetrics().height() * 5);
    Cmd_Add = button(QStringLiteral("Cmd_Add"), QStringLiteral("&Add"), frame3);
    Command5 = button(QStringLiteral("Command5"), QStringLiteral("&Remove"), frame3);
    Cmd_Sync = button(QStringLiteral("Cmd_Sync"), QStringLiteral("&Sync all"), frame3);
    Command2 = button(QStringLiteral("Command2"), QStringLiteral("&Watchlist"), frame3);
    // The button has no action: shown greyed, saying so.
    Command2->setEnabled(false);
    Command2->setToolTip(QStringLiteral("The watchlist is not available."));
    Command2->setAccessibleDescription(Command2->toolTip());
    auto *label6 = label(QStringLiteral("Label6"), QStringLiteral("Selection:"), frame3);
    Chk_Syngetscraps =
        checkBox(QStringLiteral("Chk_Syngetscraps"), QStringLiteral("Get scra&ps"), false, frame3);
    Chk_Syngetfavs =
        checkBox(QStringLiteral("Chk_Syngetfavs"), QStringLiteral("Get fa&vs"), false, frame3);
    {
        auto *layout = new QGridLayout(frame3);
        layout->addWidget(Lst_Names, 0, 0, 6, 1);
        layout->addWidget(Cmd_Add, 0, 1);
        layout->addWidget(Command5, 1, 1);
        layout->addWidget(Cmd_Sync, 2, 1);
        layout->addWidget(Command2, 3, 1);
        layout->setRowStretch(4, 1);
        auto *flags = new QHBoxLayout;
        flags->addWidget(label6);
        flags->addWidget(Chk_Syngetscraps);
        flags->addWidget(Chk_Syngetfavs);
        flags->addStretch(1);
        layout->addLayout(flags, 6, 0, 1, 2);
        layout->setColumnStretch(0, 1);
    }

    // The log
    ListView1 = named(new EventLogView(window), QStringLiteral("ListView1"), QStringLiteral("Log"));
    ListView1->setFont(fixed);
    ListView1->setRootIsDecorated(false);
    ListView1->setUniformRowHeights(true);
    ListView1->setHeaderHidden(true);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->setMinimumHeight(140);

    // Progress: two bars inside an outline, with the status and speed over them
    Shape3 = named(new QFrame(window), QStringLiteral("Shape3"), QStringLiteral("Progress"));
    Shape3->setFrameShape(QFrame::Box);
    Shape3->setMinimumHeight(window->fontMetrics().height() * 2 + 8);
    Shape2 =
        named(new ProgressShape(Shape3), QStringLiteral("Shape2"), QStringLiteral("File progress"));
    Shape1 = named(new ProgressShape(Shape3), QStringLiteral("Shape1"),
                   QStringLiteral("Queue progress"));
    for (QFrame *bar : {Shape2, Shape1})
        bar->setAutoFillBackground(true); // in the grey of applyThemeColors()
    Lbl_Status = label(QStringLiteral("Lbl_Status"), QString(), Shape3);
    QFont bold = Lbl_Status->font();
    bold.setBold(true);
    Lbl_Status->setFont(bold);
    Lbl_Status->setAttribute(Qt::WA_TranslucentBackground);
    Lbl_Status->setBuddy(ListView1); // so that "&&" shows as one "&"
    Label12 = label(QStringLiteral("Label12"), QStringLiteral("Speed: 0Kb/s"), Shape3);
    Label12->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label12->setAttribute(Qt::WA_TranslucentBackground);
    Shape3->installEventFilter(resizeWatcher);

    // "Settings"
    auto *frame1 = frame(QStringLiteral("Frame1"), QStringLiteral("Settings"), window);

    auto *frame4 = frame(QStringLiteral("Frame4"),
                         QStringLiteral("Cookie data (for adult submissions):"), frame1);
    auto *label4 = label(QStringLiteral("Label4"), QStringLiteral("A:"), frame4);
    Txt_CookieA = textBox(QStringLiteral("Txt_CookieA"), QStringLiteral("A:"), frame4);
    Txt_CookieA->setFont(fixed);
    label4->setBuddy(Txt_CookieA);
    auto *label5 = label(QStringLiteral("Label5"), QStringLiteral("B:"), frame4);
    Txt_CookieB = textBox(QStringLiteral("Txt_CookieB"), QStringLiteral("B:"), frame4);
    Txt_CookieB->setFont(fixed);
    label5->setBuddy(Txt_CookieB);
    {
        auto *layout = new QGridLayout(frame4);
        layout->addWidget(label4, 0, 0);
        layout->addWidget(Txt_CookieA, 0, 1);
        layout->addWidget(label5, 1, 0);
        layout->addWidget(Txt_CookieB, 1, 1);
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
    Option1 = makeGroup(QStringLiteral("Option1"), frame7,
                        {QStringLiteral("Original filename"), QStringLiteral("Title only"),
                         QStringLiteral("Author - Title")},
                        1);
    auto *frame5 = frame(QStringLiteral("Frame5"), QStringLiteral("Folder structure"), frame1);
    Option2 = makeGroup(QStringLiteral("Option2"), frame5,
                        {QStringLiteral(".%1username%1folder%1").arg(QDir::separator()),
                         QStringLiteral(".%1username-folder%1").arg(QDir::separator()),
                         QStringLiteral(".%1").arg(QDir::separator())},
                        1);
    Chk_Commonfavs = checkBox(QStringLiteral("Chk_Commonfavs"),
                              QStringLiteral("All favs &in same folder"), true, frame5);
    frame5->layout()->addWidget(Chk_Commonfavs);

    auto *frame6 = frame(QStringLiteral("Frame6"), QStringLiteral("Filters"), frame1);
    Lst_Types =
        named(new QListWidget(frame6), QStringLiteral("Lst_Types"), QStringLiteral("Filters"));
    for (const QString &caption : TypeCaptions) {
        auto *item = new QListWidgetItem(caption, Lst_Types);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        item->setCheckState(Qt::Unchecked);
    }
    // Exactly the four entries, never cut to fewer.
    Lst_Types->setFixedHeight(
        std::max(Lst_Types->sizeHintForRow(0) * 4 + 2 * Lst_Types->frameWidth() + 4,
                 Lst_Types->minimumSizeHint().height()));
    Chk_Getgeneral =
        checkBox(QStringLiteral("Chk_Getgeneral"), QStringLiteral("Get ge&neral"), true, frame6);
    Chk_Getmature =
        checkBox(QStringLiteral("Chk_Getmature"), QStringLiteral("Get &mature"), true, frame6);
    Chk_Getadult =
        checkBox(QStringLiteral("Chk_Getadult"), QStringLiteral("Get a&dult"), true, frame6);
    Label11 = label(QStringLiteral("Label11"), QStringLiteral("Size limit:                   MB"),
                    frame6);
    Txt_Maxsize = textBox(QStringLiteral("Txt_Maxsize"), QStringLiteral("Size limit:"), Label11);
    limitTyping(Txt_Maxsize, 5);
    Txt_Maxsize->setText(QStringLiteral("0"));
    Label11->setBuddy(Txt_Maxsize);
    Label11->setMinimumHeight(Txt_Maxsize->sizeHint().height());
    Label11->installEventFilter(resizeWatcher);
    {
        auto *layout = new QVBoxLayout(frame6);
        layout->addWidget(Lst_Types);
        layout->addWidget(Chk_Getgeneral);
        layout->addWidget(Chk_Getmature);
        layout->addWidget(Chk_Getadult);
        layout->addWidget(Label11);
        layout->addStretch(1);
    }

    Chk_urlfix = checkBox(QStringLiteral("Chk_urlfix"), QStringLiteral("&URL exception fixing"),
                          false, frame1);
    Lbl_Delay = label(QStringLiteral("Lbl_Delay"), QStringLiteral("Waiting time:"), frame1);
    Hscr_Delay = named(new FocusableScrollBar(Qt::Horizontal, frame1), QStringLiteral("Hscr_Delay"),
                       QStringLiteral("Waiting time:"));
    Hscr_Delay->setRange(5, 60);
    Hscr_Delay->setSingleStep(1);
    Hscr_Delay->setPageStep(5);
    Hscr_Delay->setTracking(false); // a drag takes effect when the thumb is released
    Hscr_Delay->setMinimumWidth(120);
    // Arrows, Page Up/Down, Home and End move it once it has the focus.
    Hscr_Delay->setFocusPolicy(Qt::StrongFocus);
    // As on a slider: Right, Up and Page Up lengthen the wait (a scroll bar's
    // keys are turned the other way round).
    Hscr_Delay->setInvertedControls(false);
    Lbl_Delay->setBuddy(Hscr_Delay);
    auto *label3 = label(QStringLiteral("Label3"), QStringLiteral("Save to:"), frame1);
    Txt_Path = textBox(QStringLiteral("Txt_Path"), QStringLiteral("Save to:"), frame1);
    label3->setBuddy(Txt_Path);
    Cmd_Browsepath = button(QStringLiteral("Cmd_Browsepath"), QStringLiteral("&Browse"), frame1);
    auto *label7 = label(QStringLiteral("Label7"), QStringLiteral("Favs folder:"), frame1);
    Txt_Favpath = textBox(QStringLiteral("Txt_Favpath"), QStringLiteral("Favs folder:"), frame1);
    label7->setBuddy(Txt_Favpath);
    Cmd_browsefavs = button(QStringLiteral("Cmd_browsefavs"), QStringLiteral("Brows&e"), frame1);
    Chk_Shutdown = checkBox(QStringLiteral("Chk_Shutdown"),
                            QStringLiteral("S&hutdown PC after synching"), false, frame1);
    Chk_Savesets = checkBox(QStringLiteral("Chk_Savesets"),
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
        right->addWidget(Chk_urlfix);
        right->addWidget(Lbl_Delay);
        right->addWidget(Hscr_Delay);
        right->addWidget(Chk_Shutdown);
        right->addWidget(Chk_Savesets);
        right->addStretch(1);

        auto *columns = new QHBoxLayout;
        columns->addLayout(left, 3);
        columns->addWidget(frame6, 2);
        columns->addLayout(right, 2);

        // The folders get the full width: paths are long.
        auto *folders = new QGridLayout;
        folders->addWidget(label3, 0, 0);
        folders->addWidget(Txt_Path, 0, 1);
        folders->addWidget(Cmd_Browsepath, 0, 2);
        folders->addWidget(label7, 1, 0);
        folders->addWidget(Txt_Favpath, 1, 1);
        folders->addWidget(Cmd_browsefavs, 1, 2);
        folders->setColumnStretch(1, 1);

        auto *layout = new QVBoxLayout(frame1);
        layout->addLayout(columns);
        layout->addLayout(folders);
    }

    // Bottom row
    Cmd_About = button(QStringLiteral("Cmd_About"), QStringLiteral("?"), window);
    Cmd_About->setAccessibleDescription(QStringLiteral("About ") + ProductName);
    Cmd_About->setToolTip(QStringLiteral("About"));
    Cmd_About->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    Lbl_site = textBox(QStringLiteral("Lbl_site"), QStringLiteral("Web page"), window);
    Lbl_site->setFrame(false);
    Lbl_site->setReadOnly(true);
    Lbl_site->setFont(bold);
    Lbl_site->setText(webHost);
    QPalette sitePalette = Lbl_site->palette();
    sitePalette.setColor(QPalette::Base, Qt::transparent);
    Lbl_site->setPalette(sitePalette);

    auto *top = new QHBoxLayout;
    top->addWidget(frame2, 2);
    top->addWidget(frame3, 3);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(Cmd_About);
    bottom->addWidget(Lbl_site, 1);
    auto *layout = new QVBoxLayout(window);
    layout->addLayout(top);
    layout->addWidget(ListView1, 1);
    layout->addWidget(Shape3);
    layout->addWidget(frame1);
    layout->addLayout(bottom);

    // One keyboard order that follows the arrangement: top to bottom, and left
    // to right within each frame.
    const QList<QWidget *> order = {Txt_Uniuser,
                                    Chk_Unigetgal,
                                    Chk_Unigetscraps,
                                    Chk_Unigetfavs,
                                    Cmd_Get,
                                    Lst_Names,
                                    Cmd_Add,
                                    Command5,
                                    Cmd_Sync,
                                    Command2,
                                    Chk_Syngetscraps,
                                    Chk_Syngetfavs,
                                    ListView1,
                                    Txt_CookieA,
                                    Txt_CookieB,
                                    Option1->button(0),
                                    Option1->button(1),
                                    Option1->button(2),
                                    Option2->button(0),
                                    Option2->button(1),
                                    Option2->button(2),
                                    Chk_Commonfavs,
                                    Lst_Types,
                                    Chk_Getgeneral,
                                    Chk_Getmature,
                                    Chk_Getadult,
                                    Txt_Maxsize,
                                    Chk_urlfix,
                                    Hscr_Delay,
                                    Chk_Shutdown,
                                    Chk_Savesets,
                                    Txt_Path,
                                    Cmd_Browsepath,
                                    Txt_Favpath,
                                    Cmd_browsefavs,
                                    Cmd_About,
                                    Lbl_site};
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);

    regularFrameContents(window);
    placeSizeBox(); // the label's width must already allow for the box
    window->setFocusProxy(Txt_Uniuser);
    window->resize(window->sizeHint().expandedTo(QSize(760, 0)));
}

void MainWindowControls::applyThemeColors(const QPalette &theme)
{
    // Dark blue and dark red captions where they read; on a dark theme the
    // nearest shade that does. "Get general" has the theme's own text colour.
    const std::array<std::pair<QWidget *, QColor>, 2> captions{
        std::pair{Chk_Getmature, QColor(0x00, 0x00, 0x80)},
        {Chk_Getadult, QColor(0x80, 0x00, 0x00)}};
    for (const auto &[box, color] : captions) {
        QPalette palette = box->palette();
        palette.setColor(QPalette::WindowText, readableShade(color, theme.color(QPalette::Window)));
        box->setPalette(palette);
    }
    // The status and speed lie over the bars in the theme's text colour: a
    // light grey that the light text of a dark theme could not be read on
    // is darkened to a grey it can.
    const QColor grey = readableShade(QColor(0xC0, 0xC0, 0xC0), theme.color(QPalette::WindowText));
    for (QWidget *bar : {static_cast<QWidget *>(Shape2), static_cast<QWidget *>(Shape1)}) {
        QPalette palette = bar->palette();
        palette.setColor(QPalette::Window, grey);
        bar->setPalette(palette);
    }
}

void MainWindowControls::placeProgressBars(double filePercent, double queuePercent)
{
    const QRect inner = Shape3->contentsRect();
    const int half = inner.height() / 2;
    // A bar is never narrower than a sliver, so the outline always shows where it starts.
    auto width = [&](double percent) {
        return std::max(2, int(inner.width() * std::clamp(percent, 0.0, 100.0) / 100.0));
    };
    Shape2->setGeometry(inner.left(), inner.top(), width(filePercent), half);
    Shape1->setGeometry(inner.left(), inner.top() + half, width(queuePercent),
                        inner.height() - half);
    const QRect text = inner.adjusted(4, 0, -4, 0);
    Lbl_Status->setGeometry(text.left(), text.top(), text.width() * 3 / 4, text.height());
    Label12->setGeometry(text.left() + text.width() * 3 / 4, text.top(), text.width() / 4,
                         text.height());
    Lbl_Status->raise();
    Label12->raise();
}

void MainWindowControls::placeSizeBox()
{
    // The box lies over the blanks between "Size limit:" and "MB".
    const QFontMetrics metrics(Label11->font());
    const int left = metrics.horizontalAdvance(QStringLiteral("Size limit: "));
    const int right = metrics.horizontalAdvance(QStringLiteral("Size limit:                  "));
    const int height = Txt_Maxsize->sizeHint().height();
    const int width =
        std::max(right - left, metrics.horizontalAdvance(QStringLiteral("00000")) + 12);
    Txt_Maxsize->setGeometry(left, (Label11->height() - height) / 2, width, height);
    // A minimum width set by hand replaces the label's own, which fits the whole caption.
    const int needed = std::max(left + width + metrics.horizontalAdvance(QStringLiteral(" MB")),
                                Label11->minimumSizeHint().width());
    if (Label11->minimumWidth() < needed)
        Label11->setMinimumWidth(needed);
}
