#pragma once

#include "Quillet/app/AppState.hpp"
#include "Quillet/shell/MenuModel.hpp"

#include <functional>

namespace quillet {

// The tray panel's view of the application state.
class AppStateMenuModel : public MenuModel {
public:
    // `quit` ends the program; it is called once a running recording has been stopped and saved.
    AppStateMenuModel(AppState& state, std::function<void()> quit);

    [[nodiscard]] AppStatus status() const override { return state_.status(); }
    [[nodiscard]] bool isEnabled() const override { return state_.isEnabled(); }
    void setEnabled(bool on) override { state_.setEnabled(on); }
    [[nodiscard]] bool isRecording() const override { return state_.isRecording(); }
    [[nodiscard]] std::optional<QDateTime> recordingStartedAt() const override
    {
        return state_.recordingStartedAt();
    }
    void stopRecording() override { state_.stopRecording(); }
    [[nodiscard]] bool hasScreenRecording() const override { return state_.hasScreenRecording(); }
    void requestScreenRecording() override;
    [[nodiscard]] bool conflictsWithSystemShortcuts() const override
    {
        return state_.conflictsWithSystemShortcuts();
    }
    void openKeyboardSettings() override;
    void performFromMenu(CaptureAction action) override { state_.performFromMenu(action); }
    [[nodiscard]] std::optional<brindle::Shortcut> shortcut(CaptureAction action) const override;
    [[nodiscard]] std::optional<CaptureAction> editingShortcut() const override
    {
        return state_.editingShortcut();
    }
    [[nodiscard]] std::set<CaptureAction> failedShortcuts() const override
    {
        return state_.failedShortcuts();
    }
    [[nodiscard]] ShortcutRoute shortcutRoute() const override { return state_.routes().shortcuts; }
    [[nodiscard]] QString desktopTrigger(CaptureAction action) const override;
    void beginEditingShortcut(CaptureAction action) override { state_.beginEditingShortcut(action); }
    void endEditingShortcut() override { state_.endEditingShortcut(); }
    [[nodiscard]] QString folder() const override { return state_.folder(); }
    void openFolder() override { state_.openFolder(); }
    void chooseFolder() override { state_.chooseFolder(); }
    [[nodiscard]] FileNamingStyle fileNaming() const override { return state_.fileNaming(); }
    void setFileNaming(FileNamingStyle style) override { state_.setFileNaming(style); }
    [[nodiscard]] QString filePrefix() const override { return state_.filePrefix(); }
    void setFilePrefix(const QString& prefix) override { state_.setFilePrefix(prefix); }
    [[nodiscard]] std::int64_t nextNumber() const override { return state_.nextNumber(); }
    void setNextNumber(std::int64_t number) override { state_.setNextNumber(number); }
    [[nodiscard]] bool recordMicrophone() const override { return state_.recordMicrophone(); }
    void setRecordMicrophone(bool on) override { state_.setRecordMicrophone(on); }
    [[nodiscard]] std::optional<QString> microphoneID() const override { return state_.microphoneID(); }
    void setMicrophoneID(std::optional<QString> id) override { state_.setMicrophoneID(std::move(id)); }
    [[nodiscard]] std::vector<Microphone> microphones() const override;
    [[nodiscard]] bool showClicks() const override { return state_.showClicks(); }
    void setShowClicks(bool on) override { state_.setShowClicks(on); }
    [[nodiscard]] bool copyNewCaptures() const override { return state_.copyNewCaptures(); }
    void setCopyNewCaptures(bool on) override { state_.setCopyNewCaptures(on); }
    [[nodiscard]] bool isUpdateReminderDue() const override { return state_.updates().isUpdateReminderDue(); }
    void checkForUpdates() override { state_.updates().checkForUpdates(); }
    void dismissUpdateReminder() override { state_.updates().dismissUpdateReminder(); }
    void quit() override;

private:
    AppState& state_;
    std::function<void()> quit_;
};

} // namespace quillet
