#include "Quillet/shell/SettingsCard.hpp"

#include "Brindle/SystemFont.hpp"
#include "Brindle/menu/Card.hpp"
#include "Brindle/menu/ClickArea.hpp"
#include "Brindle/menu/Divider.hpp"
#include "Brindle/menu/MenuPicker.hpp"
#include "Brindle/menu/MenuSwitch.hpp"
#include "Brindle/menu/OpenAtLoginRow.hpp"
#include "Brindle/menu/SettingRow.hpp"
#include "Brindle/menu/SymbolView.hpp"
#include "Brindle/menu/TextLine.hpp"
#include "Brindle/menu/Tone.hpp"
#include "Quillet/shell/PanelText.hpp"
#include "core/FileNaming.hpp"
#include "core/PrefixLength.hpp"

#include <QDir>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QTimer>
#include <QVBoxLayout>

#include <limits>

namespace quillet {
namespace {

constexpr int dividerIndent = 40;
constexpr int prefixWidth = 120;
constexpr int folderNameWidth = 120;
constexpr int numberWidth = 64;
constexpr int fieldHeight = 22;
constexpr qreal plainTextPoints = 11.5;
// Digits only, and no more than the largest 64-bit number has.
const QRegularExpression numberPattern(QStringLiteral("[0-9]{1,19}"));

[[nodiscard]] QLineEdit* smallField(int width)
{
    auto* field = new QLineEdit;
    field->setFixedSize(width, fieldHeight);
    field->setFont(brindle::SystemFont::font(11));
    return field;
}

[[nodiscard]] brindle::TextLine* plainText()
{
    return new brindle::TextLine(QString(), plainTextPoints, QFont::Normal, brindle::Tone::secondary);
}

} // namespace

SettingsCard::SettingsCard(MenuModel& model, const brindle::AppBrand& brand, Options options, QWidget* parent)
    : QWidget(parent), model_(model), brand_(brand), options_(std::move(options))
{
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* card = new brindle::Card(0);
    outer->addWidget(card);
    QVBoxLayout& rows = card->content();
    rows.addWidget(new brindle::SettingRow(brand_, "folder.fill", PanelText::saveTo(), folderAccessory()));
    rows.addWidget(new brindle::Divider(dividerIndent));
    rows.addWidget(namingRows());
    rows.addWidget(new brindle::Divider(dividerIndent));

    microphoneSwitch_ = new brindle::MenuSwitch(brand_, brindle::MenuSwitch::Size::mini,
                                                [this](bool on) { model_.setRecordMicrophone(on); });
    rows.addWidget(
        new brindle::SettingRow(brand_, "mic.fill", PanelText::recordMicrophone(), microphoneSwitch_));

    microphones_ = new brindle::MenuPicker({}, [this](const QVariant& value) {
        const QString id = value.toString();
        model_.setMicrophoneID(id.isEmpty() ? std::nullopt : std::optional<QString>(id));
    });
    microphoneRow_ = new QWidget;
    auto* microphoneColumn = new QVBoxLayout(microphoneRow_);
    microphoneColumn->setContentsMargins(0, 0, 0, 0);
    microphoneColumn->setSpacing(0);
    microphoneColumn->addWidget(new brindle::Divider(dividerIndent));
    microphoneColumn->addWidget(
        new brindle::SettingRow(brand_, "waveform", PanelText::microphone(), microphones_));
    rows.addWidget(microphoneRow_);

    rows.addWidget(new brindle::Divider(dividerIndent));
    clicksSwitch_ = new brindle::MenuSwitch(brand_, brindle::MenuSwitch::Size::mini,
                                            [this](bool on) { model_.setShowClicks(on); });
    rows.addWidget(
        new brindle::SettingRow(brand_, "cursorarrow.click.2", PanelText::showClicks(), clicksSwitch_));
    rows.addWidget(new brindle::Divider(dividerIndent));
    copySwitch_ = new brindle::MenuSwitch(brand_, brindle::MenuSwitch::Size::mini,
                                          [this](bool on) { model_.setCopyNewCaptures(on); });
    rows.addWidget(
        new brindle::SettingRow(brand_, "doc.on.clipboard", PanelText::copyNewCaptures(), copySwitch_));
    rows.addWidget(new brindle::Divider(dividerIndent));
    // A picture never asks the desktop, and always shows the switch off.
    const auto registration =
        options_.isSnapshot
            ? brindle::OpenAtLoginRow::Registration{[] { return false; }, [](bool) { return false; }}
            : brindle::OpenAtLoginRow::autostart();
    rows.addWidget(new brindle::OpenAtLoginRow(brand_, registration));
}

QWidget* SettingsCard::folderAccessory()
{
    auto* accessory = new QWidget;
    auto* row = new QHBoxLayout(accessory);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(6);
    auto* open = new brindle::ClickArea([this] { model_.openFolder(); });
    folderName_ = plainText();
    folderName_->setMode(brindle::TextLine::Mode::elideMiddle);
    open->addToLabel(folderName_);
    open->setCursor(Qt::PointingHandCursor);
    row->addWidget(open);
    change_ = new brindle::ClickArea([this] {
        // The dialog must not belong to the pop-up, which closes at the first click elsewhere.
        options_.closePanel();
        QTimer::singleShot(0, &model_, [model = &model_] { model->chooseFolder(); });
    });
    change_->setCursor(Qt::PointingHandCursor);
    change_->setFixedHeight(20);
    change_->setHoverHighlight(5, 0.08);
    change_->setBorder(5, 1, brindle::Tone::primary(palette(), 0.08));
    change_->row().setContentsMargins(8, 0, 8, 0);
    change_->addToLabel(new brindle::TextLine(PanelText::change(), 11, QFont::Medium));
    change_->setAccessibleName(PanelText::change());
    row->addWidget(change_);
    return accessory;
}

QWidget* SettingsCard::namingRows()
{
    auto* group = new QWidget;
    auto* column = new QVBoxLayout(group);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    QList<brindle::MenuPicker::Option> styles;
    for (const FileNamingStyle style : allFileNamingStyles) {
        styles.append({PanelText::naming(style), static_cast<int>(style)});
    }
    naming_ = new brindle::MenuPicker(styles, [this](const QVariant& value) {
        model_.setFileNaming(static_cast<FileNamingStyle>(value.toInt()));
    });
    namingText_ = plainText();
    auto* namingAccessory = new QWidget;
    auto* namingRow = new QHBoxLayout(namingAccessory);
    namingRow->setContentsMargins(0, 0, 0, 0);
    namingRow->addWidget(naming_);
    namingRow->addWidget(namingText_);
    column->addWidget(new brindle::SettingRow(brand_, "doc.text", PanelText::fileNames(), namingAccessory));

    numberRows_ = new QWidget;
    auto* numberColumn = new QVBoxLayout(numberRows_);
    numberColumn->setContentsMargins(0, 0, 0, 0);
    numberColumn->setSpacing(0);
    numberColumn->addWidget(new brindle::Divider(dividerIndent));

    prefix_ = smallField(prefixWidth);
    prefix_->setPlaceholderText(PanelText::none());
    connect(prefix_, &QLineEdit::textEdited, this, &SettingsCard::limitPrefix);
    prefixText_ = plainText();
    auto* prefixAccessory = new QWidget;
    auto* prefixRow = new QHBoxLayout(prefixAccessory);
    prefixRow->setContentsMargins(0, 0, 0, 0);
    prefixRow->addWidget(prefix_);
    prefixRow->addWidget(prefixText_);
    numberColumn->addWidget(
        new brindle::SettingRow(brand_, "character.cursor.ibeam", PanelText::prefix(), prefixAccessory));
    numberColumn->addWidget(new brindle::Divider(dividerIndent));
    numberColumn->addWidget(
        new brindle::SettingRow(brand_, "number", PanelText::nextNumber(), numberAccessory()));

    nextFile_ = new brindle::TextLine(QString(), 10.5, QFont::Normal, brindle::Tone::secondary);
    nextFile_->setMode(brindle::TextLine::Mode::elideMiddle);
    auto* caption = new QHBoxLayout;
    caption->setContentsMargins(44, 0, 10, 8);
    caption->addWidget(nextFile_);
    numberColumn->addLayout(caption);
    column->addWidget(numberRows_);
    return group;
}

QWidget* SettingsCard::numberAccessory()
{
    auto* accessory = new QWidget;
    auto* row = new QHBoxLayout(accessory);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(6);
    auto* startOver = new brindle::ClickArea([this] { model_.setNextNumber(1); });
    startOver->setFixedSize(20, 20);
    startOver->setCursor(Qt::PointingHandCursor);
    startOver->setToolTip(PanelText::startOver());
    startOver->setAccessibleName(PanelText::startOver());
    auto* symbol = new brindle::SymbolView("arrow.counterclockwise", 11, brindle::Symbol::Weight::medium);
    symbol->setTone(brindle::Tone::secondary);
    startOver->addToLabel(symbol, 0, Qt::AlignCenter);
    startOver_ = startOver;
    row->addWidget(startOver);
    number_ = smallField(numberWidth);
    number_->setValidator(new QRegularExpressionValidator(numberPattern, number_));
    connect(number_, &QLineEdit::editingFinished, this, &SettingsCard::commitNumber);
    row->addWidget(number_);
    numberText_ = plainText();
    row->addWidget(numberText_);
    return accessory;
}

void SettingsCard::commitNumber()
{
    bool ok = false;
    const qlonglong typed = number_->text().toLongLong(&ok);
    if (!ok) {
        // Empty, or beyond the largest number a file can carry: the stored number stays.
        number_->setText(QString::number(model_.nextNumber()));
        return;
    }
    if (typed != model_.nextNumber()) {
        model_.setNextNumber(typed);
    }
}

void SettingsCard::limitPrefix(const QString& typed)
{
    const QByteArray bytes = typed.toUtf8();
    const std::string kept = PrefixLength::limited(std::string_view(bytes.constData(), bytes.size()));
    if (kept.size() != static_cast<std::size_t>(bytes.size())) {
        const int cursor = prefix_->cursorPosition();
        prefix_->setText(QString::fromStdString(kept));
        prefix_->setCursorPosition(std::min<int>(cursor, prefix_->text().size()));
    }
    model_.setFilePrefix(prefix_->text());
}

void SettingsCard::refresh()
{
    const bool snapshot = options_.isSnapshot;
    const QString folder = model_.folder();
    folderName_->setText(QDir(folder).dirName());
    folderName_->setFixedWidth(std::min(folderName_->sizeHint().width(), folderNameWidth));
    folderName_->parentWidget()->setToolTip(QDir::toNativeSeparators(folder));

    const FileNamingStyle style = model_.fileNaming();
    naming_->select(static_cast<int>(style));
    naming_->setVisible(!snapshot);
    namingText_->setText(PanelText::naming(style));
    namingText_->setVisible(snapshot);
    numberRows_->setVisible(style == FileNamingStyle::number);

    const QString prefix = model_.filePrefix();
    if (prefix_->text() != prefix) {
        prefix_->setText(prefix);
    }
    prefix_->setVisible(!snapshot);
    prefixText_->setText(prefix);
    prefixText_->setVisible(snapshot);

    const std::int64_t next = model_.nextNumber();
    startOver_->setVisible(next >= 2);
    if (!number_->hasFocus()) {
        number_->setText(QString::number(next));
    }
    number_->setVisible(!snapshot);
    numberText_->setText(QString::number(next));
    numberText_->setVisible(snapshot);
    constexpr std::string_view extension = ".webp";
    const auto example =
        FileNaming::numbered(next, prefix.toStdString(), PrefixLength::nameBytes - extension.size(),
                             [](const std::string&) { return FileNaming::NameUse::free; });
    nextFile_->setText(PanelText::nextFile(
        example ? QString::fromStdString(example->name + std::string(extension)) : QString()));

    microphoneSwitch_->show(model_.recordMicrophone());
    const auto available = model_.microphones();
    microphoneRow_->setVisible(model_.recordMicrophone() && !snapshot && available.size() >= 2);
    QList<brindle::MenuPicker::Option> entries{{PanelText::systemDefaultMicrophone(), QString()}};
    QString shown;
    for (const auto& microphone : available) {
        entries.append({microphone.name, microphone.id});
        if (model_.microphoneID() == microphone.id) {
            shown = microphone.id;
        }
    }
    // A stored microphone that is gone shows the default without the stored choice being changed.
    microphones_->setOptions(entries);
    microphones_->select(shown);
    clicksSwitch_->show(model_.showClicks());
    copySwitch_->show(model_.copyNewCaptures());
}

} // namespace quillet
