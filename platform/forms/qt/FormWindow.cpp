// SPDX-License-Identifier: Apache-2.0
#include "platform/forms/qt/FormWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "platform/forms/UserInput.h"

namespace platform::forms {

namespace {

QString toQt(const std::string& text) {
    return QString::fromStdString(text).replace("\r\n", "\n");
}

// Multi-line boxes keep CR LF line breaks in the model, as the host system does.
std::string fromQt(const QString& text, bool multiLine) {
    QString copy = text;
    if (multiLine) copy.replace("\r\n", "\n").replace("\n", "\r\n");
    return copy.toStdString();
}

QStyle::StandardPixmap pixmapOf(StandardIcon icon) {
    switch (icon) {
        case StandardIcon::Question:
            return QStyle::SP_MessageBoxQuestion;
        case StandardIcon::Exclamation:
            return QStyle::SP_MessageBoxWarning;
        case StandardIcon::Critical:
            return QStyle::SP_MessageBoxCritical;
        default:
            return QStyle::SP_MessageBoxInformation;
    }
}

constexpr int kMargin = 8;       // around controls placed by geometry, when the form has no size
constexpr int kAutoWidth = 320;  // the narrowest automatic layout, so that it reads like a dialog

}  // namespace

FormWindow::FormWindow(Form& form) : QDialog(nullptr), form_(&form) {
    setObjectName(QString::fromStdString(form.name()));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    for (Control* c : form.controls()) widgets_[c] = makeWidget(*c);
    placeWidgets();
    syncForm();
    for (Control* c : form.controls()) syncControl(*c);
}

QWidget* FormWindow::widget(const Control& control) const {
    auto it = widgets_.find(&control);
    return it == widgets_.end() ? nullptr : it->second;
}

QFont FormWindow::baseFont() const {
    QFont font = QApplication::font();
    if (!form_) return font;
    QString family = QString::fromStdString(form_->fontName());
    if (!family.isEmpty() && QFontDatabase::hasFamily(family)) font.setFamily(family);
    font.setPointSizeF(form_->fontSize());
    return font;
}

QWidget* FormWindow::makeWidget(Control& control) {
    QWidget* w = nullptr;
    switch (control.kind()) {
        case ControlKind::Label: {
            auto* label = new QLabel(this);
            label->setWordWrap(true);
            label->setTextFormat(Qt::PlainText);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            w = label;
            break;
        }
        case ControlKind::CommandButton: {
            auto* button = new QPushButton(this);
            auto& model = static_cast<CommandButton&>(control);
            button->setAutoDefault(false);
            button->setDefault(form_->defaultButton() == &model);
            connect(button, &QPushButton::clicked, this, [this, &model] {
                if (form_) pressButton(model);
            });
            w = button;
            break;
        }
        case ControlKind::ListView: {
            auto* tree = new QTreeWidget(this);
            tree->setRootIsDecorated(false);
            tree->setItemsExpandable(false);
            tree->setUniformRowHeights(true);
            tree->setSelectionMode(QAbstractItemView::SingleSelection);
            tree->setAllColumnsShowFocus(true);
            connect(tree, &QTreeWidget::itemChanged, this, [this, tree](QTreeWidgetItem* row, int column) {
                if (column == 0) rowChanged(*tree, *row);
            });
            connect(tree, &QTreeWidget::itemClicked, this,
                    [this, tree](QTreeWidgetItem* row, int) { rowClicked(*tree, *row); });
            w = tree;
            break;
        }
        case ControlKind::TextBox: {
            auto& box = static_cast<TextBox&>(control);
            if (box.multiLine()) {
                auto* edit = new QPlainTextEdit(this);
                connect(edit, &QPlainTextEdit::textChanged, this, [this, edit, &box] {
                    if (syncing_ || !form_) return;
                    editText(box, fromQt(edit->toPlainText(), true));
                    if (form_) syncControl(box);
                });
                w = edit;
            } else {
                auto* edit = new QLineEdit(this);
                connect(edit, &QLineEdit::textEdited, this, [this, &box](const QString& text) {
                    if (!form_) return;
                    editText(box, fromQt(text, false));
                    if (form_) syncControl(box);
                });
                w = edit;
            }
            break;
        }
        case ControlKind::Line: {
            auto* line = new QFrame(this);
            line->setFrameShadow(QFrame::Sunken);
            w = line;
            break;
        }
        case ControlKind::Image: {
            auto* image = new QLabel(this);
            image->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            w = image;
            break;
        }
        case ControlKind::ProgressBar: {
            // The bar's text above it, the bytes and the percentage on the bar.
            auto* box = new QWidget(this);
            auto* column = new QVBoxLayout(box);
            column->setContentsMargins(0, 0, 0, 0);
            column->setSpacing(2);
            auto* caption = new QLabel(box);
            caption->setObjectName("text");
            caption->setTextFormat(Qt::PlainText);
            auto* bar = new QProgressBar(box);
            bar->setObjectName("bar");
            bar->setTextVisible(true);
            column->addWidget(caption);
            column->addWidget(bar);
            w = box;
            break;
        }
    }
    w->setObjectName(QString::fromStdString(control.name()));
    return w;
}

void FormWindow::placeWidgets() {
    const auto& controls = form_->controls();
    bool absolute = !controls.empty() && std::all_of(controls.begin(), controls.end(),
                                                     [](const Control* c) { return c->geometry().has_value(); });
    if (absolute) {
        int right = 0, bottom = 0;
        for (const Control* c : controls) {
            const Geometry& g = *c->geometry();
            right = std::max(right, g.left + g.width);
            bottom = std::max(bottom, g.top + g.height);
        }
        Size size = form_->clientSize().value_or(Size{right + kMargin, bottom + kMargin});
        setFixedSize(size.width, size.height);
        return;
    }
    // Images in a column on the left, the other controls top to bottom beside them, the
    // buttons in a row below, right-aligned, as in a message-like dialog.
    auto* outer = new QVBoxLayout(this);
    auto* body = new QHBoxLayout;
    bool withImages =
        std::any_of(controls.begin(), controls.end(), [](const Control* c) { return c->kind() == ControlKind::Image; });
    auto* images = withImages ? new QVBoxLayout : nullptr;
    auto* column = new QVBoxLayout;
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (const Control* c : controls) {
        QWidget* w = widgets_.at(c);
        if (c->kind() == ControlKind::CommandButton)
            buttons->addWidget(w);
        else if (c->kind() == ControlKind::Image)
            images->addWidget(w);
        else
            column->addWidget(w, c->kind() == ControlKind::ListView || c->kind() == ControlKind::TextBox ? 1 : 0);
    }
    column->addStretch(0);
    if (images) {
        images->addStretch(1);
        body->addLayout(images);
    }
    body->addLayout(column, 1);
    outer->addLayout(body, 1);
    outer->addLayout(buttons);
    setMinimumWidth(kAutoWidth);
    if (auto size = form_->clientSize()) resize(size->width, size->height);
}

void FormWindow::syncForm() {
    if (!form_) return;
    setWindowTitle(QString::fromStdString(form_->caption()));
    setFont(baseFont());
    for (Control* c : form_->controls()) syncControl(*c);
}

void FormWindow::syncControl(const Control& control) {
    QWidget* w = widget(control);
    if (!w) return;
    syncing_ = true;
    QFont font = baseFont();
    font.setBold(control.bold());
    if (control.fontSize()) font.setPointSizeF(*control.fontSize());
    w->setFont(font);
    w->setEnabled(control.enabled());
    if (const auto& g = control.geometry(); g && !layout()) {
        int height = control.kind() == ControlKind::Line ? std::max(g->height, 2) : g->height;
        w->setGeometry(g->left, g->top, g->width, height);
    }
    switch (control.kind()) {
        case ControlKind::Label:
            static_cast<QLabel*>(w)->setText(toQt(control.text()));
            break;
        case ControlKind::CommandButton:
            static_cast<QPushButton*>(w)->setText(toQt(control.text()));
            break;
        case ControlKind::ListView: {
            auto& list = static_cast<const ListView&>(control);
            auto* tree = static_cast<QTreeWidget*>(w);
            QStringList headers;
            for (const Column& column : list.columns()) headers << QString::fromStdString(column.text);
            tree->setColumnCount(std::max<int>(1, static_cast<int>(headers.size())));
            tree->setHeaderLabels(headers);
            tree->setHeaderHidden(headers.isEmpty());
            for (std::size_t i = 0; i < list.columns().size(); ++i)
                if (int width = list.columns()[i].width) tree->setColumnWidth(static_cast<int>(i), width);
            syncRows(list, *tree);
            break;
        }
        case ControlKind::TextBox: {
            auto& box = static_cast<const TextBox&>(control);
            Qt::ScrollBarPolicy vertical =
                box.scrollBars() == ScrollBars::Vertical || box.scrollBars() == ScrollBars::Both
                    ? Qt::ScrollBarAlwaysOn
                    : Qt::ScrollBarAlwaysOff;
            Qt::ScrollBarPolicy horizontal =
                box.scrollBars() == ScrollBars::Horizontal || box.scrollBars() == ScrollBars::Both
                    ? Qt::ScrollBarAlwaysOn
                    : Qt::ScrollBarAlwaysOff;
            QPalette palette = w->palette();
            palette.setColor(QPalette::Base, box.background() == Background::Dialog
                                                 ? QApplication::palette().color(QPalette::Window)
                                                 : QApplication::palette().color(QPalette::Base));
            w->setPalette(palette);
            if (auto* edit = qobject_cast<QPlainTextEdit*>(w)) {
                if (edit->toPlainText() != toQt(box.text())) edit->setPlainText(toQt(box.text()));
                edit->setReadOnly(box.readOnly());
                edit->setVerticalScrollBarPolicy(vertical);
                edit->setHorizontalScrollBarPolicy(horizontal);
                edit->setLineWrapMode(horizontal == Qt::ScrollBarAlwaysOn ? QPlainTextEdit::NoWrap
                                                                          : QPlainTextEdit::WidgetWidth);
            } else if (auto* line = qobject_cast<QLineEdit*>(w)) {
                if (line->text() != toQt(box.text())) line->setText(toQt(box.text()));
                line->setReadOnly(box.readOnly());
            }
            break;
        }
        case ControlKind::Line: {
            auto* frame = static_cast<QFrame*>(w);
            const auto& g = control.geometry();
            frame->setFrameShape(g && g->height > g->width ? QFrame::VLine : QFrame::HLine);
            break;
        }
        case ControlKind::Image: {
            auto icon = static_cast<const Image&>(control).icon();
            auto* label = static_cast<QLabel*>(w);
            if (icon == StandardIcon::None)
                label->clear();
            else
                label->setPixmap(style()->standardIcon(pixmapOf(icon)).pixmap(32, 32));
            break;
        }
        case ControlKind::ProgressBar: {
            auto& model = static_cast<const ProgressBar&>(control);
            auto* caption = w->findChild<QLabel*>("text");
            auto* bar = w->findChild<QProgressBar*>("bar");
            caption->setText(toQt(control.text()));
            caption->setVisible(!control.text().empty());
            // QProgressBar counts in int: per mille of a known whole. An unknown whole stays an
            // empty bar rather than a busy one, which would not show the bytes.
            constexpr int kSteps = 1000;
            bar->setRange(0, kSteps);
            double share =
                model.maximum() > 0
                    ? std::min(1.0, static_cast<double>(model.value()) / static_cast<double>(model.maximum()))
                    : 0.0;
            bar->setValue(static_cast<int>(share * kSteps));
            bar->setFormat(toQt(model.progressText()));
            break;
        }
    }
    w->setVisible(control.visible());
    syncing_ = false;
}

void FormWindow::syncRows(const ListView& list, QTreeWidget& tree) {
    bool was = std::exchange(syncing_, true);
    tree.clear();
    for (int i = 1; i <= list.count(); ++i) {
        auto* row = new QTreeWidgetItem(&tree);
        syncRow(list.item(i), *row);
    }
    if (ListItem* selected = list.selectedItem()) tree.setCurrentItem(tree.topLevelItem(selected->index() - 1));
    syncing_ = was;
}

void FormWindow::syncRow(const ListItem& item, QTreeWidgetItem& row) {
    bool was = std::exchange(syncing_, true);
    row.setText(0, toQt(item.text()));
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (item.listView().checkBoxes()) {
        row.setFlags(flags | Qt::ItemIsUserCheckable);
        row.setCheckState(0, item.checked() ? Qt::Checked : Qt::Unchecked);
    } else {
        row.setFlags(flags);
        row.setData(0, Qt::CheckStateRole, QVariant());
    }
    syncing_ = was;
}

void FormWindow::sync(const Control& control, Change change, int item) {
    if (!form_) return;
    QWidget* w = widget(control);
    if (!w) return;
    if (control.kind() != ControlKind::ListView ||
        (change != Change::ItemText && change != Change::ItemChecked && change != Change::Selection)) {
        syncControl(control);
        return;
    }
    auto& list = static_cast<const ListView&>(control);
    auto* tree = static_cast<QTreeWidget*>(w);
    QTreeWidgetItem* row = item >= 1 ? tree->topLevelItem(item - 1) : nullptr;
    bool was = std::exchange(syncing_, true);
    if (change == Change::Selection) {
        if (row)
            tree->setCurrentItem(row);
        else
            tree->clearSelection();
    } else if (row && item <= list.count()) {
        syncRow(list.item(item), *row);
    }
    syncing_ = was;
}

void FormWindow::rowChanged(QTreeWidget& tree, QTreeWidgetItem& row) {
    if (syncing_ || !form_) return;
    int index = tree.indexOfTopLevelItem(&row) + 1;
    auto* list = dynamic_cast<ListView*>(form_->find(tree.objectName().toStdString()));
    if (!list || index < 1 || index > list->count()) return;
    ListItem& item = list->item(index);
    bool wanted = row.checkState(0) == Qt::Checked;
    if (item.checked() != wanted) setItemChecked(item, wanted);
    // Refused or changed by a handler: show the model's state again (the handler may have
    // rebuilt the rows, so the row is looked up afresh).
    if (!form_ || index > list->count()) return;
    if (QTreeWidgetItem* current = tree.topLevelItem(index - 1)) syncRow(list->item(index), *current);
}

void FormWindow::rowClicked(QTreeWidget& tree, QTreeWidgetItem& row) {
    if (!form_) return;
    int index = tree.indexOfTopLevelItem(&row) + 1;
    auto* list = dynamic_cast<ListView*>(form_->find(tree.objectName().toStdString()));
    if (!list || index < 1 || index > list->count()) return;
    clickItem(list->item(index));
}

void FormWindow::closeEvent(QCloseEvent* event) {
    // Closing the window unloads the form, which hides the window if it goes.
    event->ignore();
    if (form_) closeForm(*form_);
}

void FormWindow::reject() {
    // Escape presses the cancel button; the window itself never closes on its own.
    if (form_)
        if (CommandButton* cancel = form_->cancelButton()) pressButton(*cancel);
}

}  // namespace platform::forms
