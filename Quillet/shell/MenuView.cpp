#include "Quillet/shell/MenuView.hpp"

#include "Brindle/menu/ActionIcon.hpp"
#include "Brindle/menu/ClickArea.hpp"
#include "Brindle/menu/Divider.hpp"
#include "Brindle/menu/MenuFooter.hpp"
#include "Brindle/menu/MenuHeader.hpp"
#include "Brindle/menu/PillButton.hpp"
#include "Brindle/menu/PrivacyCard.hpp"
#include "Brindle/menu/TextLine.hpp"
#include "Brindle/menu/Tone.hpp"
#include "Brindle/menu/UpdateReminderCard.hpp"
#include "Brindle/menu/WarningCard.hpp"
#include "Quillet/shell/PanelText.hpp"
#include "Quillet/shell/SettingsCard.hpp"
#include "Quillet/shell/ShortcutField.hpp"
#include "Quillet/shell/StatusColour.hpp"

#include <QPainter>
#include <QTimer>
#include <QVBoxLayout>

namespace quillet {
namespace {

constexpr int actionRowHeight = 48;
// Room above and below a row whose subtitle takes two lines.
constexpr int actionRowInset = 6;
constexpr int actionDividerIndent = 44;
constexpr qreal actionIconSize = 24;
constexpr auto clockTick = std::chrono::seconds(1);
const QColor red = QColor::fromRgb(255, 59, 48);

class RedDot : public QWidget {
public:
    RedDot() { setFixedSize(10, 10); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(red);
        painter.drawEllipse(QRectF(rect()));
    }
};

// "0:07", "12:34", "1:02:03": the running time as a timer shows it.
[[nodiscard]] QString elapsedText(qint64 seconds)
{
    seconds = std::max<qint64>(seconds, 0);
    const qint64 hours = seconds / 3600;
    const qint64 minutes = (seconds / 60) % 60;
    const QString secondsText = QStringLiteral("%1").arg(seconds % 60, 2, 10, QLatin1Char('0'));
    if (hours > 0) {
        return QStringLiteral("%1:%2:%3").arg(hours).arg(minutes, 2, 10, QLatin1Char('0')).arg(secondsText);
    }
    return QStringLiteral("%1:%2").arg(minutes).arg(secondsText);
}

} // namespace

brindle::AppBrand MenuView::brand()
{
    return {QStringLiteral("Quillet"),
            "camera.viewfinder",
            {QColor::fromRgbF(0.6f, 0.45f, 1.0f), QColor::fromRgbF(0.38f, 0.25f, 0.92f)},
            QColor::fromRgb(175, 82, 222),
            0.46};
}

MenuView::MenuView(MenuModel& model, Options options, QWidget* parent)
    : QWidget(parent), model_(model), options_(std::move(options)), brand_(brand()),
      header_(new brindle::MenuHeader(brand_, [this](bool on) { model_.setEnabled(on); }))
{
    setFixedWidth(width);
    setFocusPolicy(Qt::StrongFocus);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(padding, padding, padding, padding);
    column->setSpacing(spacing);
    column->addWidget(header_);

    updateCard_ = new brindle::UpdateReminderCard(
        brand_, [this] { model_.checkForUpdates(); }, [this] { model_.dismissUpdateReminder(); });
    column->addWidget(updateCard_);
    recordingCard_ = makeRecordingCard();
    column->addWidget(recordingCard_);
    permissionCard_ = new brindle::WarningCard("hand.raised.fill", PanelText::permissionTitle(),
                                               PanelText::permissionMessage(), std::nullopt,
                                               [this] { model_.requestScreenRecording(); });
    column->addWidget(permissionCard_);
    shortcutsCard_ =
        new brindle::WarningCard("keyboard", PanelText::shortcutsTitle(), PanelText::shortcutsMessage(),
                                 PanelText::shortcutsButton(), [this] { model_.openKeyboardSettings(); });
    column->addWidget(shortcutsCard_);
    column->addWidget(makeActionsCard());
    settings_ = new SettingsCard(model_, brand_, {options_.isSnapshot, options_.closePanel});
    column->addWidget(settings_);
    column->addWidget(new brindle::PrivacyCard(
        {{"network.slash", PanelText::noInternet()}, {"folder", PanelText::capturesStay()}}));
    column->addWidget(new brindle::MenuFooter(
        std::nullopt, [this] { model_.checkForUpdates(); }, [this] { model_.quit(); }));

    connect(&model_, &MenuModel::changed, this, &MenuView::refresh);
    refresh();
}

QWidget* MenuView::makeRecordingCard()
{
    auto* card = new brindle::Card(11);
    auto* row = new QHBoxLayout;
    row->setSpacing(10);
    row->addWidget(new RedDot);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(1);
    texts->addWidget(new brindle::TextLine(PanelText::recording(), 12.5, QFont::DemiBold));
    recordingTime_ = new brindle::TextLine(QString(), 11.5, QFont::Normal, brindle::Tone::secondary);
    recordingTime_->setFixedDigits(true);
    texts->addWidget(recordingTime_);
    row->addLayout(texts);
    row->addStretch(1);
    auto* stop = new brindle::PillButton(brand_, PanelText::stop(), true, [this] {
        options_.closePanel();
        model_.stopRecording();
    });
    stop->setAccent(red);
    stop->setSymbol("stop.fill");
    stop->setCornerRadius(5);
    stop->setTextPoints(12, QFont::DemiBold);
    row->addWidget(stop);
    card->content().addLayout(row);
    // Ticks only while a recording runs.
    recordingClock_ = new QTimer(this);
    recordingClock_->setInterval(clockTick);
    connect(recordingClock_, &QTimer::timeout, this, &MenuView::refreshRecordingTime);
    return card;
}

QWidget* MenuView::makeActionsCard()
{
    auto* card = new brindle::Card(0);
    for (const CaptureAction action : allCaptureActions) {
        const auto index = static_cast<std::size_t>(action);
        if (index > 0) {
            card->content().addWidget(new brindle::Divider(actionDividerIndent));
        }
        const auto texts = PanelText::action(action, false);
        ActionRow& row = actions_[index];
        auto* button = new brindle::ClickArea([this, action] {
            options_.closePanel();
            // After the panel is gone, so that it never shows in the capture.
            QTimer::singleShot(0, &model_, [model = &model_, action] { model->performFromMenu(action); });
        });
        button->setCursor(Qt::PointingHandCursor);
        button->row().setSpacing(10);
        row.icon = new brindle::ActionIcon(brand_, texts.symbol, actionIconSize);
        button->addToLabel(row.icon);
        auto* labels = new QWidget;
        auto* column = new QVBoxLayout(labels);
        column->setContentsMargins(0, 0, 0, 0);
        column->setSpacing(1);
        row.title = new brindle::TextLine(texts.title, 12, QFont::Medium);
        row.subtitle = new brindle::TextLine(texts.subtitle, 10.5, QFont::Normal, brindle::Tone::secondary);
        // Beside wide key caps, a command or the taken sign, a text takes a second line rather than
        // losing its end.
        row.title->setMode(brindle::TextLine::Mode::wrap);
        row.subtitle->setMode(brindle::TextLine::Mode::wrap);
        column->addWidget(row.title);
        column->addWidget(row.subtitle);
        button->addToLabel(labels, 1);
        button->row().addSpacing(4);
        button->setAccessibleName(texts.title);
        row.field = new ShortcutField(model_, action, brand_.accent);

        auto* line = new QWidget;
        line->setMinimumHeight(actionRowHeight);
        auto* layout = new QHBoxLayout(line);
        layout->setContentsMargins(10, actionRowInset, 10, actionRowInset);
        layout->setSpacing(10);
        layout->addWidget(button, 1);
        layout->addWidget(row.field);
        card->content().addWidget(line);
    }
    return card;
}

ShortcutField& MenuView::shortcutField(CaptureAction action) const
{
    return *actions_[static_cast<std::size_t>(action)].field;
}

void MenuView::refresh()
{
    const AppStatus status = model_.status();
    header_->show(PanelText::status(statusText(status)), StatusColour::of(statusColor(status)),
                  model_.isEnabled(), PanelText::switchHelp(model_.isEnabled()));
    updateCard_->setVisible(model_.isUpdateReminderDue());
    const bool recording = model_.isRecording();
    recordingCard_->setVisible(recording);
    recordingTime_->setVisible(recording && model_.recordingStartedAt().has_value());
    if (recording && !options_.isSnapshot) {
        recordingClock_->start();
    } else {
        recordingClock_->stop();
    }
    refreshRecordingTime();
    permissionCard_->setVisible(!model_.hasScreenRecording());
    shortcutsCard_->setVisible(model_.conflictsWithSystemShortcuts());
    for (const CaptureAction action : allCaptureActions) {
        const ActionRow& row = actions_[static_cast<std::size_t>(action)];
        const auto texts = PanelText::action(action, recording);
        row.icon->setSymbol(texts.symbol);
        row.title->setText(texts.title);
        row.subtitle->setText(texts.subtitle);
        // Screen readers, and the tests that press rows through them, meet the row by its current title.
        QWidget* button = row.title->parentWidget()->parentWidget();
        button->setToolTip(texts.subtitle);
        button->setAccessibleName(texts.title);
        row.field->refresh();
    }
    settings_->refresh();
}

void MenuView::refreshRecordingTime()
{
    const auto started = model_.recordingStartedAt();
    if (!started) {
        return;
    }
    recordingTime_->setText(elapsedText(started->secsTo(QDateTime::currentDateTime())));
}

void MenuView::showEvent(QShowEvent* event)
{
    refresh();
    QWidget::showEvent(event);
}

void MenuView::hideEvent(QHideEvent* event)
{
    // A shortcut edit ends with the panel, so the hot keys come back.
    if (model_.editingShortcut()) {
        model_.endEditingShortcut();
    }
    recordingClock_->stop();
    QWidget::hideEvent(event);
}

} // namespace quillet
