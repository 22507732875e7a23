// SPDX-License-Identifier: GPL-3.0-or-later
// The widget half of the text recognition corpus: common Qt widgets rendered offscreen in the
// Fusion style, light and dark, each picture written with the lines of text the widgets show
// and where they show them, read back from the widgets and their models.
//
// usage: vellumbox_corpus_widgets OUTPUT_FOLDER [--scale 2]
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFormLayout>
#include <QFrame>
#include <QGroupBox>
#include <QHash>
#include <QHeaderView>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QStyle>
#include <QStyleFactory>
#include <QStyleOption>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryFile>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <cstdio>
#include <memory>
#include <tuple>

namespace {

struct Line {
    QString text;
    QRect rect; // in the grabbed widget's logical pixels
};

QString withoutMnemonic(QString text)
{
    text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    text.remove(QLatin1Char('&'));
    return text.replace(QLatin1Char('\x01'), QLatin1Char('&'));
}

// Collects what a widget tree shows. Text that is only partly inside its widget's visible area
// is reported and left out, since no reader can be asked for it.
class Truth {
public:
    Truth(QWidget* grabbed, const QImage& grab)
        : root(grabbed)
        , picture(grab)
    {}

    QList<Line> collect()
    {
        walk(root);
        return lines;
    }

private:
    void add(const QWidget* w, const QString& text, const QRect& rect, const QRect& visible)
    {
        const QString shown = text.simplified();
        if (shown.isEmpty())
            return;
        if (!visible.adjusted(-1, -1, 1, 1).contains(rect)) {
            std::fprintf(stderr, "left out, not fully visible: %s\n", qPrintable(shown));
            return;
        }
        lines.append({shown, QRect(w->mapTo(root, rect.topLeft()), rect.size())});
    }

    void add(const QWidget* w, const QString& text, const QRect& rect)
    {
        add(w, text, rect, w->visibleRegion().boundingRect());
    }

    static QRect placed(const QFontMetrics& fm, const QString& text, const QRect& area,
                        Qt::Alignment alignment)
    {
        const QSize size(fm.horizontalAdvance(text), fm.height());
        return QStyle::alignedRect(Qt::LeftToRight, alignment, size, area);
    }

    // The first (or last) column of the band `rect` that holds ink, pixels unlike the band's
    // commonest colour, in under three quarters of its rows (a frame or an edge of the highlight
    // runs through all of them): where a menu's painted text starts and its shortcut ends.
    int inkColumn(const QWidget* w, const QRect& rect, bool fromLeft) const
    {
        const qreal dpr = picture.devicePixelRatio();
        const QRect band =
            QRect(QPointF(w->mapTo(root, rect.topLeft()) * dpr).toPoint(), rect.size() * dpr)
                .intersected(picture.rect());
        QHash<QRgb, int> counts;
        for (int y = band.top(); y <= band.bottom(); ++y)
            for (int x = band.left(); x <= band.right(); ++x)
                ++counts[picture.pixel(x, y)];
        QRgb background = 0;
        for (auto it = counts.cbegin(); it != counts.cend(); ++it)
            if (it.value() > counts.value(background))
                background = it.key();
        const auto differs = [background](QRgb c) {
            return qAbs(qRed(c) - qRed(background)) + qAbs(qGreen(c) - qGreen(background)) +
                       qAbs(qBlue(c) - qBlue(background)) >
                   60;
        };
        for (int i = 0; i < band.width(); ++i) {
            const int x = fromLeft ? band.left() + i : band.right() - i;
            int inked = 0;
            for (int y = band.top(); y <= band.bottom(); ++y)
                inked += differs(picture.pixel(x, y)) ? 1 : 0;
            if (inked > 0 && inked * 4 < band.height() * 3)
                return qRound((x - band.left()) / dpr) + rect.left();
        }
        return fromLeft ? rect.left() : rect.right();
    }

    void menu(QMenu* m)
    {
        const QFontMetrics fm(m->font());
        for (QAction* a : m->actions()) {
            if (a->isSeparator() || !a->isVisible())
                continue;
            // Only the rows the text takes: the edges of a highlight are no ink.
            const QRect action = m->actionGeometry(a);
            const QRect r(action.left(), action.center().y() - fm.height() / 2, action.width(),
                          fm.height());
            const QString text = withoutMnemonic(a->text());
            const QString shortcut = a->shortcut().toString(QKeySequence::NativeText);
            const int left = inkColumn(m, r, true);
            add(m, text, placed(fm, text, r.adjusted(left - r.left(), 0, 0, 0), Qt::AlignLeft));
            if (!shortcut.isEmpty()) {
                const int right = inkColumn(m, r, false);
                add(m, shortcut,
                    placed(fm, shortcut, r.adjusted(0, 0, right - r.right(), 0), Qt::AlignRight));
            }
        }
    }

    void header(QHeaderView* h)
    {
        const int margin = h->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, h);
        const QFontMetrics fm(h->font());
        for (int i = 0; i < h->count(); ++i) {
            if (h->isSectionHidden(i))
                continue;
            const int position = h->sectionViewportPosition(i);
            const QRect section = h->orientation() == Qt::Horizontal
                                      ? QRect(position, 0, h->sectionSize(i), h->height())
                                      : QRect(0, position, h->width(), h->sectionSize(i));
            const QString text = h->model()->headerData(i, h->orientation()).toString();
            const QVariant align =
                h->model()->headerData(i, h->orientation(), Qt::TextAlignmentRole);
            const auto alignment =
                align.isValid() ? Qt::Alignment(align.toInt()) : h->defaultAlignment();
            add(h->viewport(), text,
                placed(fm, text, section.adjusted(margin, 0, -margin, 0), alignment));
        }
    }

    void items(QAbstractItemView* view, const QModelIndex& parent)
    {
        const QAbstractItemModel* model = view->model();
        auto* tree = qobject_cast<QTreeView*>(view);
        for (int row = 0; row < model->rowCount(parent); ++row) {
            for (int column = 0; column < model->columnCount(parent); ++column) {
                const QModelIndex index = model->index(row, column, parent);
                const QString text = index.data().toString();
                if (text.isEmpty() || view->indexWidget(index))
                    continue;
                QStyleOptionViewItem option;
                option.initFrom(view);
                option.rect = view->visualRect(index);
                option.text = text;
                option.font = view->font();
                option.features = QStyleOptionViewItem::HasDisplay;
                const QVariant align = index.data(Qt::TextAlignmentRole);
                option.displayAlignment = align.isValid() ? Qt::Alignment(align.toInt())
                                                          : Qt::AlignLeft | Qt::AlignVCenter;
                const QRect area =
                    view->style()->subElementRect(QStyle::SE_ItemViewItemText, &option, view);
                if (QFontMetrics(view->font()).horizontalAdvance(text) > area.width()) {
                    std::fprintf(stderr, "left out, elided: %s\n", qPrintable(text));
                    continue;
                }
                add(view->viewport(), text,
                    placed(QFontMetrics(view->font()), text, area, option.displayAlignment),
                    view->viewport()->rect());
            }
            const QModelIndex first = model->index(row, 0, parent);
            if (tree && tree->isExpanded(first))
                items(view, first);
        }
    }

    void walk(QWidget* w)
    {
        const QFontMetrics fm(w->font());
        if (auto* label = qobject_cast<QLabel*>(w)) {
            const QRect area = label->contentsRect().adjusted(label->margin(), label->margin(),
                                                              -label->margin(), -label->margin());
            const QStringList parts = label->text().split(QLatin1Char('\n'));
            const QRect block = QStyle::alignedRect(
                Qt::LeftToRight, label->alignment(),
                QSize(area.width(), fm.lineSpacing() * int(parts.size())), area);
            for (int i = 0; i < parts.size(); ++i)
                add(w, parts.at(i),
                    placed(fm, parts.at(i),
                           QRect(block.left(), block.top() + i * fm.lineSpacing(), block.width(),
                                 fm.height()),
                           label->alignment()));
        } else if (auto* check = qobject_cast<QCheckBox*>(w);
                   check || qobject_cast<QRadioButton*>(w)) {
            QStyleOptionButton option;
            option.initFrom(w);
            option.text = static_cast<QAbstractButton*>(w)->text();
            const QRect area = w->style()->subElementRect(
                check ? QStyle::SE_CheckBoxContents : QStyle::SE_RadioButtonContents, &option, w);
            const QString text = withoutMnemonic(option.text);
            add(w, text, placed(fm, text, area, Qt::AlignLeft | Qt::AlignVCenter));
        } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            const QString text = withoutMnemonic(button->text());
            add(w, text, placed(fm, text, w->rect(), Qt::AlignCenter));
        } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
            if (edit->echoMode() != QLineEdit::Normal)
                return;
            QStyleOptionFrame option;
            option.initFrom(w);
            option.lineWidth = w->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, w);
            const QMargins margins = edit->textMargins();
            // QLineEdit keeps two pixels of its own beside the text.
            const QRect area = w->style()
                                   ->subElementRect(QStyle::SE_LineEditContents, &option, w)
                                   .marginsRemoved(margins)
                                   .adjusted(2, 0, -2, 0);
            const QString text = edit->text().isEmpty() ? edit->placeholderText() : edit->text();
            add(w, text, placed(fm, text, area, Qt::AlignLeft | Qt::AlignVCenter));
        } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
            QStyleOptionComboBox option;
            option.initFrom(w);
            option.editable = false;
            const QRect area = w->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                          QStyle::SC_ComboBoxEditField, w);
            add(w, combo->currentText(),
                placed(fm, combo->currentText(), area, Qt::AlignLeft | Qt::AlignVCenter));
        } else if (auto* tabs = qobject_cast<QTabBar*>(w)) {
            for (int i = 0; i < tabs->count(); ++i) {
                const QString text = withoutMnemonic(tabs->tabText(i));
                add(w, text, placed(fm, text, tabs->tabRect(i), Qt::AlignCenter));
            }
        } else if (auto* bar = qobject_cast<QMenuBar*>(w)) {
            for (QAction* a : bar->actions()) {
                const QString text = withoutMnemonic(a->text());
                add(w, text, placed(fm, text, bar->actionGeometry(a), Qt::AlignCenter));
            }
        } else if (auto* m = qobject_cast<QMenu*>(w)) {
            menu(m);
        } else if (auto* h = qobject_cast<QHeaderView*>(w)) {
            header(h);
        } else if (auto* view = qobject_cast<QAbstractItemView*>(w)) {
            items(view, view->rootIndex());
        } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
            QStyleOptionGroupBox option;
            option.initFrom(w);
            option.text = group->title();
            option.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
            option.textAlignment = group->alignment();
            option.lineWidth = 1;
            const QRect area = w->style()->subControlRect(QStyle::CC_GroupBox, &option,
                                                          QStyle::SC_GroupBoxLabel, w);
            const QString text = withoutMnemonic(group->title());
            add(w, text, placed(fm, text, area, Qt::AlignCenter));
        }
        for (QObject* child : w->children())
            if (auto* c = qobject_cast<QWidget*>(child); c && !c->isWindow() && c->isVisible())
                walk(c);
    }

    QWidget* root;
    QImage picture;
    QList<Line> lines;
};

QPalette darkPalette()
{
    QPalette p;
    const QColor window(53, 53, 53);
    const QColor base(42, 42, 42);
    const QColor text(230, 230, 230);
    const QColor disabled(127, 127, 127);
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, QColor(66, 66, 66));
    p.setColor(QPalette::ToolTipBase, window);
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::PlaceholderText, QColor(140, 140, 140));
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, window);
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::BrightText, Qt::red);
    p.setColor(QPalette::Link, QColor(42, 130, 218));
    p.setColor(QPalette::Highlight, QColor(42, 130, 218));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Light, window.lighter(150));
    p.setColor(QPalette::Midlight, window.lighter(125));
    p.setColor(QPalette::Mid, window.darker(120));
    p.setColor(QPalette::Dark, window.darker(150));
    p.setColor(QPalette::Shadow, Qt::black);
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, disabled);
    p.setColor(QPalette::Disabled, QPalette::HighlightedText, disabled);
    return p;
}

QLabel* label(const QString& text, int pixelSize = 0, bool bold = false, qreal spacing = 0)
{
    auto* l = new QLabel(text);
    QFont f = l->font();
    if (pixelSize > 0)
        f.setPixelSize(pixelSize);
    f.setBold(bold);
    if (spacing > 0)
        f.setLetterSpacing(QFont::AbsoluteSpacing, spacing);
    l->setFont(f);
    return l;
}

// A table as tall and wide as its contents, so that no row is cut off.
void fitTable(QTableView* table)
{
    // Sizes measured before the style has set the fonts would be too small.
    table->ensurePolished();
    table->resizeColumnsToContents();
    table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    table->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const int frame = 2 * table->frameWidth();
    const int headerHeight =
        table->horizontalHeader()->isHidden() ? 0 : table->horizontalHeader()->sizeHint().height();
    const int headerWidth =
        table->verticalHeader()->isHidden() ? 0 : table->verticalHeader()->sizeHint().width();
    table->setFixedHeight(frame + headerHeight + table->verticalHeader()->length());
    table->setMinimumWidth(frame + headerWidth + table->horizontalHeader()->length());
}

QWidget* filesTable()
{
    auto* root = new QWidget;
    auto* layout = new QVBoxLayout(root);
    layout->addWidget(label(QStringLiteral("Documents - 8 items, 41.7 MB"), 0, true));
    const QList<QStringList> rows = {
        {QStringLiteral("Annual report 2024.pdf"), QStringLiteral("2.4 MB"),
         QStringLiteral("Yesterday, 17:42"), QStringLiteral("PDF document")},
        {QStringLiteral("Budget.ods"), QStringLiteral("88 KB"), QStringLiteral("Mar 12, 09:15"),
         QStringLiteral("Spreadsheet")},
        {QStringLiteral("holiday-photos"), QStringLiteral("36 items"),
         QStringLiteral("Feb 28, 20:03"), QStringLiteral("Folder")},
        {QStringLiteral("invoice_00417.pdf"), QStringLiteral("312 KB"),
         QStringLiteral("Feb 21, 11:30"), QStringLiteral("PDF document")},
        {QStringLiteral("Meeting notes.md"), QStringLiteral("4 KB"),
         QStringLiteral("Feb 20, 16:55"), QStringLiteral("Markdown")},
        {QStringLiteral("screenshot-0193.png"), QStringLiteral("1.1 MB"),
         QStringLiteral("Feb 19, 08:01"), QStringLiteral("PNG image")},
        {QStringLiteral("setup.sh"), QStringLiteral("2 KB"), QStringLiteral("Jan 30, 14:12"),
         QStringLiteral("Shell script")},
        {QStringLiteral("Thesis draft v3.odt"), QStringLiteral("38.0 MB"),
         QStringLiteral("Jan 02, 22:47"), QStringLiteral("Text document")},
    };
    auto* table = new QTableWidget(int(rows.size()), 4);
    table->setHorizontalHeaderLabels({QStringLiteral("Name"), QStringLiteral("Size"),
                                      QStringLiteral("Modified"), QStringLiteral("Kind")});
    for (int r = 0; r < rows.size(); ++r)
        for (int c = 0; c < 4; ++c) {
            auto* item = new QTableWidgetItem(rows[r][c]);
            if (c == 1)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            table->setItem(r, c, item);
        }
    table->verticalHeader()->hide();
    table->setShowGrid(false);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->selectRow(3);
    fitTable(table);
    layout->addWidget(table);
    return root;
}

QWidget* projectTree()
{
    auto* tree = new QTreeWidget;
    tree->setHeaderLabels(
        {QStringLiteral("Name"), QStringLiteral("Status"), QStringLiteral("Owner")});
    const auto item = [](QTreeWidgetItem* parent, const QStringList& texts) {
        return new QTreeWidgetItem(parent, texts);
    };
    auto* project =
        new QTreeWidgetItem(tree, {QStringLiteral("Website relaunch"),
                                   QStringLiteral("In progress"), QStringLiteral("Mia")});
    auto* design =
        item(project, {QStringLiteral("Design"), QStringLiteral("Done"), QStringLiteral("Tom")});
    item(design, {QStringLiteral("Wireframes"), QStringLiteral("Done"), QStringLiteral("Tom")});
    item(design, {QStringLiteral("Colour palette"), QStringLiteral("Done"), QStringLiteral("Ana")});
    auto* build = item(
        project, {QStringLiteral("Build"), QStringLiteral("In progress"), QStringLiteral("Mia")});
    item(build, {QStringLiteral("Landing page"), QStringLiteral("Review"), QStringLiteral("Raj")});
    auto* selected = item(
        build, {QStringLiteral("Checkout flow"), QStringLiteral("Blocked"), QStringLiteral("Mia")});
    item(build, {QStringLiteral("Search results"), QStringLiteral("To do"), QStringLiteral("Lea")});
    item(project,
         {QStringLiteral("Launch checklist"), QStringLiteral("To do"), QStringLiteral("Mia")});
    auto* other = new QTreeWidgetItem(
        tree, {QStringLiteral("Mobile app 2.0"), QStringLiteral("Planned"), QStringLiteral("Raj")});
    item(other, {QStringLiteral("Offline mode"), QStringLiteral("Planned"), QStringLiteral("Raj")});
    tree->expandAll();
    tree->collapseItem(other);
    tree->setCurrentItem(selected);
    tree->ensurePolished();
    for (int c = 0; c < 3; ++c)
        tree->resizeColumnToContents(c);
    tree->setMinimumSize(460, 300);
    return tree;
}

QWidget* editMenu()
{
    auto* menu = new QMenu;
    const auto add = [menu](const QString& text, const QKeySequence& keys, bool enabled = true) {
        QAction* a = menu->addAction(text);
        a->setShortcut(keys);
        a->setEnabled(enabled);
        return a;
    };
    add(QStringLiteral("&Undo"), QKeySequence(QStringLiteral("Ctrl+Z")), false);
    add(QStringLiteral("&Redo"), QKeySequence(QStringLiteral("Ctrl+Shift+Z")));
    menu->addSeparator();
    add(QStringLiteral("Cu&t"), QKeySequence(QStringLiteral("Ctrl+X")));
    QAction* copy = add(QStringLiteral("&Copy"), QKeySequence(QStringLiteral("Ctrl+C")));
    add(QStringLiteral("&Paste"), QKeySequence(QStringLiteral("Ctrl+V")));
    add(QStringLiteral("Paste Special..."), QKeySequence(QStringLiteral("Ctrl+Alt+V")));
    menu->addSeparator();
    add(QStringLiteral("Select &All"), QKeySequence(QStringLiteral("Ctrl+A")));
    add(QStringLiteral("Find and Replace..."), QKeySequence(QStringLiteral("Ctrl+H")));
    add(QStringLiteral("Go to Line..."), QKeySequence(QStringLiteral("Ctrl+G")));
    menu->addSeparator();
    add(QStringLiteral("Preferences"), QKeySequence(QStringLiteral("Ctrl+,")));
    add(QStringLiteral("Toggle Full Screen"), QKeySequence(QStringLiteral("F11")));
    menu->setActiveAction(copy);
    return menu;
}

QWidget* signUpForm()
{
    auto* root = new QWidget;
    auto* layout = new QVBoxLayout(root);
    layout->addWidget(label(QStringLiteral("Create your account"), 18, true));
    auto* form = new QFormLayout;
    const auto edit = [](const QString& text, const QString& placeholder = {}) {
        auto* e = new QLineEdit(text);
        e->setPlaceholderText(placeholder);
        e->setMinimumWidth(260);
        return e;
    };
    form->addRow(QStringLiteral("Full name:"), edit(QStringLiteral("Ada Lovelace")));
    form->addRow(QStringLiteral("Email:"), edit(QStringLiteral("ada.lovelace@example.org")));
    form->addRow(QStringLiteral("Phone:"), edit({}, QStringLiteral("+44 20 7946 0000")));
    auto* password = edit(QStringLiteral("hunter22"));
    password->setEchoMode(QLineEdit::Password);
    form->addRow(QStringLiteral("Password:"), password);
    auto* country = new QComboBox;
    country->addItems({QStringLiteral("United Kingdom"), QStringLiteral("Ireland")});
    form->addRow(QStringLiteral("Country:"), country);
    auto* plans = new QHBoxLayout;
    auto* monthly = new QRadioButton(QStringLiteral("Monthly, 9 EUR"));
    monthly->setChecked(true);
    plans->addWidget(monthly);
    plans->addWidget(new QRadioButton(QStringLiteral("Yearly, 90 EUR")));
    form->addRow(QStringLiteral("Billing:"), plans);
    layout->addLayout(form);
    auto* news = new QCheckBox(QStringLiteral("Send me product news and tips"));
    news->setChecked(true);
    layout->addWidget(news);
    layout->addWidget(new QCheckBox(QStringLiteral("I accept the terms of service")));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(new QPushButton(QStringLiteral("Cancel")));
    auto* create = new QPushButton(QStringLiteral("&Create Account"));
    create->setDefault(true);
    buttons->addWidget(create);
    layout->addLayout(buttons);
    return root;
}

QWidget* saveDialog()
{
    auto* root = new QWidget;
    auto* layout = new QVBoxLayout(root);
    layout->setSpacing(10);
    layout->addWidget(
        label(QStringLiteral("Save changes to \"Quarterly report.odt\" before closing?"), 0, true));
    layout->addWidget(label(QStringLiteral("Your changes will be lost if you don't save them.")));
    auto* ask = new QCheckBox(QStringLiteral("Don't ask me again"));
    layout->addWidget(ask);
    auto* box = new QDialogButtonBox;
    box->addButton(QStringLiteral("Close &without Saving"), QDialogButtonBox::DestructiveRole);
    box->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    box->addButton(QStringLiteral("&Save As..."), QDialogButtonBox::AcceptRole);
    layout->addWidget(box);
    return root;
}

QWidget* preferenceTabs()
{
    auto* tabs = new QTabWidget;
    auto* general = new QWidget;
    auto* layout = new QVBoxLayout(general);
    auto* startup = new QGroupBox(QStringLiteral("Startup"));
    auto* checks = new QVBoxLayout(startup);
    auto* login = new QCheckBox(QStringLiteral("Open at login"));
    login->setChecked(true);
    checks->addWidget(login);
    checks->addWidget(new QCheckBox(QStringLiteral("Show the icon in the system tray")));
    auto* updates = new QCheckBox(QStringLiteral("Check for updates every week"));
    updates->setChecked(true);
    checks->addWidget(updates);
    layout->addWidget(startup);
    auto* folder = new QHBoxLayout;
    folder->addWidget(new QLabel(QStringLiteral("Save to:")));
    auto* path = new QLineEdit(QStringLiteral("/home/ada/Pictures/Screenshots"));
    path->setMinimumWidth(250);
    folder->addWidget(path);
    folder->addWidget(new QPushButton(QStringLiteral("Browse...")));
    layout->addLayout(folder);
    auto* format = new QHBoxLayout;
    format->addWidget(new QLabel(QStringLiteral("File format:")));
    auto* formats = new QComboBox;
    formats->addItems({QStringLiteral("PNG (lossless)"), QStringLiteral("JPEG")});
    format->addWidget(formats);
    format->addStretch();
    layout->addLayout(format);
    auto* disabled = new QCheckBox(QStringLiteral("Upload to the shared drive (needs an account)"));
    disabled->setEnabled(false);
    layout->addWidget(disabled);
    layout->addStretch();
    tabs->addTab(general, QStringLiteral("&General"));
    tabs->addTab(new QWidget, QStringLiteral("Appearance"));
    tabs->addTab(new QWidget, QStringLiteral("Shortcuts"));
    tabs->addTab(new QWidget, QStringLiteral("Advanced"));
    return tabs;
}

QWidget* editorWindow()
{
    auto* window = new QMainWindow;
    for (const char* menu : {"&File", "&Edit", "&View", "&Insert", "&Help"})
        window->menuBar()->addMenu(QString::fromLatin1(menu));
    QToolBar* tools = window->addToolBar(QStringLiteral("Main"));
    tools->setToolButtonStyle(Qt::ToolButtonTextOnly);
    for (const char* action : {"New", "Open", "Save", "Export PDF", "Word Count"})
        tools->addAction(QString::fromLatin1(action));
    auto* chapters = new QListWidget;
    chapters->addItems({QStringLiteral("Chapter 1 - Arrival"),
                        QStringLiteral("Chapter 2 - The Harbour"),
                        QStringLiteral("Chapter 3 - Letters from Lisbon"),
                        QStringLiteral("Chapter 4 - Night Train"),
                        QStringLiteral("Chapter 5 - Return"), QStringLiteral("Notes and sources")});
    chapters->setCurrentRow(2);
    window->setCentralWidget(chapters);
    for (const char* text : {"Ready", "Ln 128, Col 14", "3,482 words", "UTF-8", "100%"})
        window->statusBar()->addPermanentWidget(new QLabel(QString::fromLatin1(text)));
    window->resize(560, 330);
    return window;
}

QWidget* badgeList()
{
    auto* list = new QListWidget;
    const bool dark = qApp->palette().color(QPalette::Window).lightness() < 128;
    const QList<std::tuple<QString, QString, QString>> rows = {
        {QStringLiteral("Inbox"), QStringLiteral("24"), QStringLiteral("#d32f2f")},
        {QStringLiteral("Mentions"), QStringLiteral("3"), QStringLiteral("#1e6fd9")},
        {QStringLiteral("Release planning"), QStringLiteral("New"), QStringLiteral("#2e7d32")},
        {QStringLiteral("Design reviews"), QStringLiteral("Beta"), QStringLiteral("#6a1b9a")},
        {QStringLiteral("Customer feedback"), QStringLiteral("128"), QStringLiteral("#ef6c00")},
        {QStringLiteral("Archive"), QStringLiteral("Read only"),
         dark ? QStringLiteral("#616161") : QStringLiteral("#9e9e9e")},
    };
    for (const auto& [name, badge, colour] : rows) {
        auto* row = new QWidget;
        auto* layout = new QHBoxLayout(row);
        layout->setContentsMargins(8, 4, 8, 4);
        layout->addWidget(new QLabel(name));
        layout->addStretch();
        auto* pill = label(badge, 11, true);
        pill->setStyleSheet(
            QStringLiteral("background: %1; color: white; border-radius: 8px; padding: 1px 7px;")
                .arg(colour));
        layout->addWidget(pill);
        auto* item = new QListWidgetItem(list);
        item->setSizeHint(row->sizeHint());
        list->setItemWidget(item, row);
    }
    list->setMinimumSize(340, 240);
    return list;
}

QWidget* dashboard()
{
    auto* root = new QWidget;
    auto* grid = new QGridLayout(root);
    grid->setSpacing(12);
    const QList<std::tuple<QString, QString, QString>> cards = {
        {QStringLiteral("ACTIVE USERS"), QStringLiteral("12,408"),
         QStringLiteral("+4.3% this week")},
        {QStringLiteral("REVENUE"), QStringLiteral("$84.2k"), QStringLiteral("+11.8% this week")},
        {QStringLiteral("AVG. SESSION"), QStringLiteral("6m 42s"),
         QStringLiteral("-0:18 vs. March")},
        {QStringLiteral("ERROR RATE"), QStringLiteral("0.38%"),
         QStringLiteral("Target below 0.5%")},
    };
    int i = 0;
    for (const auto& [caption, number, note] : cards) {
        auto* card = new QFrame;
        card->setFrameShape(QFrame::StyledPanel);
        auto* layout = new QVBoxLayout(card);
        layout->addWidget(label(caption, 10, true, 1.0));
        layout->addWidget(label(number, 34, true));
        layout->addWidget(label(note, 11));
        grid->addWidget(card, i / 2, i % 2);
        ++i;
    }
    return root;
}

// Seat maps, keyboards and puzzle grids: cells holding a single character.
QWidget* characterGrid()
{
    const QString characters = QStringLiteral("K7xQ2mP9aZ4rW1bT8nY3eH6uJ0cV5sFg");
    auto* table = new QTableWidget(4, 8);
    QStringList columns;
    for (int c = 0; c < 8; ++c)
        columns.append(QString::number(c + 1));
    table->setHorizontalHeaderLabels(columns);
    table->setVerticalHeaderLabels(
        {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("D")});
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 8; ++c) {
            auto* item = new QTableWidgetItem(QString(characters.at(r * 8 + c)));
            item->setTextAlignment(Qt::AlignCenter);
            table->setItem(r, c, item);
        }
    table->horizontalHeader()->setDefaultSectionSize(34);
    table->setCurrentCell(1, 5);
    fitTable(table);
    for (int c = 0; c < 8; ++c)
        table->setColumnWidth(c, 34);
    table->setMinimumWidth(2 * table->frameWidth() + table->verticalHeader()->sizeHint().width() +
                           8 * 34);
    auto* root = new QWidget;
    auto* layout = new QVBoxLayout(root);
    layout->addWidget(label(QStringLiteral("Seat map, hall 2"), 0, true));
    layout->addWidget(table);
    return root;
}

QWidget* addressBar()
{
    auto* root = new QWidget;
    auto* layout = new QVBoxLayout(root);
    auto* bar = new QHBoxLayout;
    for (const char* text : {"Back", "Forward", "Reload"}) {
        auto* b = new QToolButton;
        b->setText(QString::fromLatin1(text));
        bar->addWidget(b);
    }
    auto* url = new QLineEdit(
        QStringLiteral("https://docs.example.org/en/latest/install.html?lang=en#debian-12"));
    url->setMinimumWidth(470);
    bar->addWidget(url);
    layout->addLayout(bar);
    auto* bookmarks = new QHBoxLayout;
    for (const char* text : {"Mail", "Calendar", "Wiki", "Status page", "CI builds"}) {
        auto* b = new QToolButton;
        b->setText(QString::fromLatin1(text));
        b->setAutoRaise(true);
        bookmarks->addWidget(b);
    }
    bookmarks->addStretch();
    layout->addLayout(bookmarks);
    layout->addWidget(label(QStringLiteral("Installing on Debian 12 (bookworm)"), 20, true));
    layout->addWidget(label(QStringLiteral("sudo apt install ./vellum_2.4.1_amd64.deb")));
    layout->addStretch();
    return root;
}

struct Scene {
    const char* name;
    QWidget* (*build)();
    const char* family;
    int pixelSize;
    // Also rendered at twice the density, these scenes in turn light and dark.
    bool twice;
};

const Scene scenes[] = {
    {"files-table", filesTable, "DejaVu Sans", 12, true},
    {"project-tree", projectTree, "Noto Sans", 13, false},
    {"edit-menu", editMenu, "Cantarell", 13, true},
    {"sign-up-form", signUpForm, "Liberation Sans", 13, false},
    {"save-dialog", saveDialog, "Noto Sans", 12, true},
    {"preference-tabs", preferenceTabs, "DejaVu Sans", 11, false},
    {"editor-window", editorWindow, "Liberation Sans", 12, true},
    {"badge-list", badgeList, "Cantarell", 14, false},
    {"dashboard", dashboard, "Noto Sans", 12, true},
    {"character-grid", characterGrid, "DejaVu Sans", 13, false},
    {"address-bar", addressBar, "Liberation Sans", 12, true},
};

QJsonObject truthDocument(const QString& image, const QStringList& tags, const QString& family,
                          const QImage& picture, const QList<Line>& lines)
{
    const qreal dpr = picture.devicePixelRatio();
    QJsonArray items;
    for (const Line& line : lines) {
        const QRectF r =
            QRectF(line.rect).intersected(QRectF(QPointF(), picture.deviceIndependentSize()));
        items.append(QJsonObject{{QStringLiteral("text"), line.text},
                                 {QStringLiteral("x"), qRound(r.x() * dpr)},
                                 {QStringLiteral("y"), qRound(r.y() * dpr)},
                                 {QStringLiteral("w"), qRound(r.width() * dpr)},
                                 {QStringLiteral("h"), qRound(r.height() * dpr)}});
    }
    return {{QStringLiteral("image"), image},
            {QStringLiteral("tags"), QJsonArray::fromStringList(tags)},
            {QStringLiteral("fonts"), QJsonObject{{QStringLiteral("ui"), family}}},
            {QStringLiteral("width"), picture.width()},
            {QStringLiteral("height"), picture.height()},
            {QStringLiteral("lines"), items}};
}

QtMessageHandler standardHandler = nullptr;

// The offscreen platform says so whenever a menu asks for a grab or a raise it cannot give.
void withoutPlatformNotes(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (!text.startsWith(QLatin1String("This plugin does not support")))
        standardHandler(type, context, text);
}

} // namespace

int main(int argc, char* argv[])
{
    const QStringList args = [&] {
        QStringList list;
        for (int i = 1; i < argc; ++i)
            list.append(QString::fromLocal8Bit(argv[i]));
        return list;
    }();
    if (args.isEmpty()) {
        std::fprintf(stderr, "usage: vellumbox_corpus_widgets OUTPUT_FOLDER [--scale 2]\n");
        return 2;
    }
    const int scale = args.contains(QStringLiteral("--scale"))
                          ? args.value(args.indexOf(QStringLiteral("--scale")) + 1).toInt()
                          : 1;
    // A screen large enough for every scene, at the density asked for.
    QTemporaryFile screens;
    if (!screens.open() ||
        screens.write(QStringLiteral(R"({"screens": [{"name": "corpus", "x": 0, "y": 0,
            "width": 2400, "height": 1600, "logicalDpi": 96, "dpr": %1}]})")
                          .arg(scale)
                          .toUtf8()) < 0 ||
        !screens.flush())
        return 1;
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + screens.fileName().toLocal8Bit());
    standardHandler = qInstallMessageHandler(withoutPlatformNotes);
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    const QDir out(args.first());
    if (!out.mkpath(QStringLiteral(".")))
        return 1;

    int written = 0;
    int doubled = 0;
    for (const Scene& scene : scenes) {
        for (const bool dark : {false, true}) {
            if (scale > 1 && (!scene.twice || dark != (doubled % 2 == 1)))
                continue;
            QApplication::setPalette(dark ? darkPalette()
                                          : QApplication::style()->standardPalette());
            QFont font{QString::fromLatin1(scene.family)};
            font.setPixelSize(scene.pixelSize);
            QApplication::setFont(font);
            if (QFontInfo(font).family() != font.family()) {
                std::fprintf(stderr, "font not installed: %s\n", scene.family);
                return 1;
            }
            std::unique_ptr<QWidget> root(scene.build());
            if (!root->testAttribute(Qt::WA_Resized))
                root->adjustSize();
            root->show();
            QApplication::processEvents();
            const QImage picture = root->grab().toImage();
            const QList<Line> lines = Truth(root.get(), picture).collect();
            const QString look =
                dark ? QStringLiteral("fusion-dark") : QStringLiteral("fusion-light");
            const QString name = QStringLiteral("qt-%1-%2@%3x")
                                     .arg(QString::fromLatin1(scene.name), look)
                                     .arg(scale);
            const QJsonObject truth = truthDocument(
                name + QStringLiteral(".png"),
                {QStringLiteral("qt-widgets"), QStringLiteral("%1x").arg(scale), look},
                font.family(), picture, lines);
            QFile json(out.filePath(name + QStringLiteral(".json")));
            if (!picture.save(out.filePath(name + QStringLiteral(".png"))) ||
                !json.open(QIODevice::WriteOnly) || json.write(QJsonDocument(truth).toJson()) < 0)
                return 1;
            std::printf("%s: %lld lines\n", qPrintable(name), static_cast<long long>(lines.size()));
            ++written;
        }
        doubled += scene.twice ? 1 : 0;
    }
    return written > 0 ? 0 : 1;
}
