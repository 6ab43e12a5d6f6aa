#include "Quillet/app/AppState.hpp"

#include "Brindle/AppInfo.hpp"
#include "Brindle/SystemSettings.hpp"
#include "Brindle/Trash.hpp"
#include "Quillet/capture/PermissionAlertBox.hpp"
#include "Quillet/capture/X11ScreenRecordingPermission.hpp"
#include "Quillet/common/BackgroundTask.hpp"
#include "Quillet/library/AtomicFileWriter.hpp"
#include "Quillet/library/WebPEncoder.hpp"
#include "Quillet/shell/FolderDialog.hpp"
#include "Quillet/shell/PreviewUpdateCenter.hpp"
#include "Quillet/shortcuts/DesktopScreenshotShortcuts.hpp"
#include "core/Overloaded.hpp"
#include "core/Prefs.hpp"

#include <QApplication>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QEventLoop>
#include <QFileInfo>
#include <QPointer>
#include <QProcess>
#include <QTimer>

#include <limits>

namespace quillet {
namespace {

const brindle::Preference<FileNamingStyle> fileNamingPreference{"fileNaming", defaultFileNamingStyle};

// How often a still's name may turn out to be taken at the moment of writing before saving gives up.
constexpr int maximumNameAttempts = 20;
constexpr std::int64_t bytesPerKB = 1024;
// How long quitting waits for a recording to be stopped and written: the tool's bounded stop plus the
// copy of a long movie.
constexpr std::chrono::seconds quitSaveLimit{120};

brindle::Logger captureLog()
{
    return brindle::AppInfo::logger("capture");
}

std::optional<std::string> utf8(const std::optional<QString>& text)
{
    return text ? std::optional<std::string>(text->toStdString()) : std::nullopt;
}

std::optional<QString> fromUtf8(const std::optional<std::string>& text)
{
    return text ? std::optional<QString>(QString::fromStdString(*text)) : std::nullopt;
}

// What the encode-and-write task hands back to the main thread.
struct WriteAttempt {
    QByteArray bytes; // the encoded still, kept for another name
    AtomicFileWriter::Result result;
    bool encoded = false;
};

// What the platform reports when a file cannot be saved and says no more.
QString couldNotBeSaved(const QString& path)
{
    return QStringLiteral("The file \u201c%1\u201d couldn\u2019t be saved.").arg(QFileInfo(path).fileName());
}

AppState::Components withDefaults(AppState::Components components)
{
    if (!components.capturer) {
        components.capturer = std::make_unique<Capturer>();
    }
    if (!components.screenRecording) {
        components.screenRecording = std::make_unique<X11ScreenRecordingPermission>();
    }
    if (!components.permissionAlert) {
        components.permissionAlert = std::make_unique<PermissionAlertBox>();
    }
    if (!components.encode) {
        components.encode = &WebPEncoder::encode;
    }
    if (!components.requestAudioAccess) {
        components.requestAudioAccess = [](std::function<void(bool)> answer) {
            QTimer::singleShot(0, qApp, [answer = std::move(answer)] { answer(true); });
        };
    }
    if (!components.now) {
        components.now = [] { return std::chrono::system_clock::now(); };
    }
    if (!components.systemShortcutsOn) {
        components.systemShortcutsOn = [desktop = std::make_shared<DesktopScreenshotShortcuts>()] {
            return desktop->anyEnabled();
        };
    }
    if (!components.beep) {
        components.beep = &QApplication::beep;
    }
    if (!components.chooseDirectory) {
        components.chooseDirectory = &FolderDialog::choose;
    }
    if (!components.openURL) {
        components.openURL = [](const QUrl& url) { QDesktopServices::openUrl(url); };
    }
    return components;
}

} // namespace

AppState::AppState(brindle::PreferenceStore& preferences, bool isPreview, Components components,
                   QObject* parent)
    : QObject(parent), components_(withDefaults(std::move(components))), library_(QString()),
      preferences_(preferences), isPreview_(isPreview)
{
    Q_ASSERT(components_.thumbnails && components_.hotKeys && components_.recorder && components_.selector);
    readPreferences();
    library_.setFolder(folder_);
    if (isPreview_ || !components_.makeUpdateCenter) {
        updates_ = std::make_unique<PreviewUpdateCenter>();
    } else {
        updates_ = components_.makeUpdateCenter();
    }
    if (!isPreview_) {
        connectComponents();
        recoverRecordings();
        refreshStatus();
        registerHotKeys();
        statusWatch_ = std::make_unique<brindle::RepeatingTask>(statusWatchInterval, [self = QPointer(this)] {
            if (self) {
                self->refreshStatus();
            }
        });
    }
}

AppState::~AppState() = default;

void AppState::readPreferences()
{
    isEnabled_ = preferences_.read(Prefs::enabled);
    recordMicrophone_ = preferences_.read(Prefs::recordMicrophone);
    showClicks_ = preferences_.read(Prefs::showClicks);
    microphoneID_ = fromUtf8(preferences_.read(Prefs::microphoneID));
    fileNaming_ = preferences_.read(fileNamingPreference);
    filePrefix_ = QString::fromStdString(preferences_.read(Prefs::filePrefix));
    nextNumber_ = preferences_.read(Prefs::nextNumber);
    shortcuts_ = ShortcutMap::fromStored(preferences_.read(Prefs::shortcuts));
    const auto folder = preferences_.read(Prefs::folder);
    folder_ = folder ? QString::fromStdString(*folder) : Library::defaultFolder();
}

void AppState::connectComponents()
{
    const QPointer self(this);
    components_.hotKeys->setOnPress([self](CaptureAction action) {
        if (self) {
            self->perform(action);
        }
    });
    // A recording whose tool died is saved as far as it got, and the state shows it has ended.
    components_.recorder->setOnEnded([self] {
        if (self) {
            self->stopRecording();
        }
    });
    connect(qApp, &QCoreApplication::aboutToQuit, this, &AppState::saveRecordingBeforeQuit);
    components_.hotKeys->setOnFailedChange([self] {
        if (self) {
            self->publish(self->failedShortcuts_, self->components_.hotKeys->failed());
        }
    });
    // Without an editor the cards offer no Edit button at all, rather than one that does nothing.
    if (components_.editor) {
        components_.thumbnails->setOnEdit([self](const ThumbnailItem& item) {
            if (self) {
                self->editThumbnail(item);
            }
        });
    }
    components_.thumbnails->setOnTrash([self](const ThumbnailItem& item) {
        if (self) {
            self->trashThumbnail(item);
        }
    });
}

template <typename Value> void AppState::publish(Value& field, Value value)
{
    if (field == value) {
        return;
    }
    field = std::move(value);
    emit changed();
}

// Settings.

void AppState::setEnabled(bool enabled)
{
    preferences_.write(Prefs::enabled, enabled);
    publish(isEnabled_, enabled);
    registerHotKeys();
}

void AppState::setRecordMicrophone(bool on)
{
    preferences_.write(Prefs::recordMicrophone, on);
    publish(recordMicrophone_, on);
    if (on) {
        // Only so that the platform can ask early; the answer is not needed here.
        components_.requestAudioAccess([](bool) {});
    }
}

void AppState::setMicrophoneID(std::optional<QString> id)
{
    preferences_.write(Prefs::microphoneID, utf8(id));
    publish(microphoneID_, std::move(id));
}

void AppState::setShowClicks(bool on)
{
    preferences_.write(Prefs::showClicks, on);
    publish(showClicks_, on);
}

void AppState::setFileNaming(FileNamingStyle style)
{
    preferences_.write(fileNamingPreference, style);
    publish(fileNaming_, style);
}

void AppState::setFilePrefix(const QString& prefix)
{
    preferences_.write(Prefs::filePrefix, prefix.toStdString());
    publish(filePrefix_, prefix);
}

void AppState::setNextNumber(std::int64_t number)
{
    const std::int64_t kept = std::max<std::int64_t>(number, 1);
    preferences_.write(Prefs::nextNumber, kept);
    publish(nextNumber_, kept);
}

void AppState::setFolder(const QString& path)
{
    library_.setFolder(path);
    preferences_.write(Prefs::folder, std::optional<std::string>(path.toStdString()));
    publish(folder_, path);
}

// Status and permission.

AppStatus AppState::status() const
{
    return appStatus({.isRecording = isRecording_,
                      .isEnabled = isEnabled_,
                      .hasScreenRecording = hasScreenRecording_,
                      .conflictsWithSystemShortcuts = conflictsWithSystemShortcuts(),
                      .shortcutsTaken = !failedShortcuts_.empty()});
}

bool AppState::conflictsWithSystemShortcuts() const
{
    return systemShortcutsOn_ && shortcuts_.usesSystemDefaults();
}

void AppState::refreshStatus()
{
    publish(hasScreenRecording_, components_.screenRecording->preflight());
    publish(systemShortcutsOn_, components_.systemShortcutsOn());
}

bool AppState::ensureScreenRecording()
{
    const bool granted = components_.screenRecording->preflight();
    publish(hasScreenRecording_, granted);
    captureLog().log("screen recording preflight=%{bool}d", granted);
    if (granted) {
        return true;
    }
    showPermissionAlert();
    return false;
}

void AppState::showPermissionAlert()
{
    switch (components_.permissionAlert->show()) {
    case component::PermissionAlert::Choice::openSystemSettings:
        if (!components_.screenRecording->request()) {
            brindle::SystemSettings::open(brindle::SystemSettings::Pane::screenRecording);
        }
        return;
    case component::PermissionAlert::Choice::reopenApp:
        relaunch();
        return;
    case component::PermissionAlert::Choice::cancel:
        return;
    }
}

void AppState::relaunch()
{
    // The new instance starts once this one had half a second to quit.
    QProcess::startDetached(QStringLiteral("/bin/sh"),
                            {QStringLiteral("-c"), QStringLiteral("sleep 0.5; exec \"$0\""),
                             QCoreApplication::applicationFilePath()});
    QCoreApplication::quit();
}

void AppState::registerHotKeys()
{
    if (isPreview_) {
        return;
    }
    if (isEnabled_ && !editingShortcut_) {
        components_.hotKeys->registerShortcuts(shortcuts_);
    } else {
        components_.hotKeys->unregister();
    }
    publish(failedShortcuts_, components_.hotKeys->failed());
}

void AppState::shutDown()
{
    statusWatch_.reset();
    components_.hotKeys->unregister();
    components_.capturer.reset();
}

// Actions.

void AppState::perform(CaptureAction action)
{
    captureLog().log("action %{public}s", rawValue(action));
    switch (action) {
    case CaptureAction::screen:
        captureStill(Capturer::Mode::screen);
        return;
    case CaptureAction::area:
        captureStill(Capturer::Mode::interactive);
        return;
    case CaptureAction::recording:
        toggleRecording();
        return;
    }
}

void AppState::performFromMenu(CaptureAction action)
{
    QTimer::singleShot(menuActionDelay, this, [this, action] { perform(action); });
}

// Stills.

void AppState::captureStill(Capturer::Mode mode)
{
    if (!components_.capturer || isRecording_ || components_.selector->isOpen() || !ensureScreenRecording()) {
        return;
    }
    // From the tool's start to the written file, a capture is work that quitting waits for.
    BackgroundWork::instance().begin();
    components_.capturer->capture(mode, [self = QPointer(this)](std::optional<CapturedImage> image) {
        if (self) {
            self->stillCaptured(std::move(image));
        }
        BackgroundWork::instance().end();
    });
}

void AppState::stillCaptured(std::optional<CapturedImage> image)
{
    if (!image) {
        captureLog().log("capture cancelled or empty");
        return;
    }
    const bool blank = image->isBlank();
    captureLog().log("captured %ldx%ld blank=%{bool}d", image->image.width(), image->image.height(), blank);
    if (blank) {
        showPermissionAlert();
        return;
    }
    saveStill(*image);
}

Outcome<Library::NewFile> AppState::newFile(Library::Kind kind)
{
    Library::Naming naming = Library::DateNaming{};
    if (fileNaming_ == FileNamingStyle::number) {
        naming = Library::NumberedNaming{filePrefix_, nextNumber_};
    }
    auto result = library_.newFile(kind, naming, components_.now());
    if (result.isSuccess() && result.value().number) {
        // The number is spent when the name is made, so a failed save still moves on; the largest
        // number has no successor and stays.
        const std::int64_t used = *result.value().number;
        setNextNumber(used == std::numeric_limits<std::int64_t>::max() ? used : used + 1);
    }
    return result;
}

void AppState::logSaveFailure(const QString& description) const
{
    captureLog().error("could not save screenshot: %{public}s", description);
}

void AppState::saveStill(const CapturedImage& image)
{
    const auto file = newFile(Library::Kind::still);
    if (!file.isSuccess()) {
        logSaveFailure(file.error());
        return;
    }
    encodeAndWrite(image, file.value().path, 1);
}

void AppState::encodeAndWrite(const CapturedImage& image, const QString& path, int attempt)
{
    runInBackground(
        this,
        [encode = components_.encode, bitmap = image.image, path] {
            WriteAttempt outcome;
            const auto bytes = encode(bitmap);
            if (!bytes) {
                outcome.result.error = couldNotBeSaved(path);
                return outcome;
            }
            outcome.encoded = true;
            outcome.bytes = *bytes;
            outcome.result = AtomicFileWriter::createNew(path, outcome.bytes);
            return outcome;
        },
        [this, image, path, attempt](const WriteAttempt& outcome) {
            if (!outcome.encoded) {
                logSaveFailure(outcome.result.error);
                return;
            }
            switch (outcome.result.status) {
            case AtomicFileWriter::Status::written:
                stillWritten(image, path, outcome.result.bytesWritten);
                return;
            case AtomicFileWriter::Status::nameTaken:
                stillNameTaken(image, outcome.bytes, attempt);
                return;
            case AtomicFileWriter::Status::failed:
                logSaveFailure(outcome.result.error);
                return;
            }
        });
}

void AppState::writeEncoded(const CapturedImage& image, const QByteArray& bytes, const QString& path,
                            int attempt)
{
    runInBackground(
        this, [bytes, path] { return AtomicFileWriter::createNew(path, bytes); },
        [this, image, bytes, path, attempt](const AtomicFileWriter::Result& result) {
            switch (result.status) {
            case AtomicFileWriter::Status::written:
                stillWritten(image, path, result.bytesWritten);
                return;
            case AtomicFileWriter::Status::nameTaken:
                stillNameTaken(image, bytes, attempt);
                return;
            case AtomicFileWriter::Status::failed:
                logSaveFailure(result.error);
                return;
            }
        });
}

// Someone made a file of the chosen name after it was checked: take the next free name rather than
// overwrite theirs.
void AppState::stillNameTaken(const CapturedImage& image, const QByteArray& bytes, int attempt)
{
    if (attempt >= maximumNameAttempts) {
        logSaveFailure(QStringLiteral("every new name was taken before it could be written"));
        return;
    }
    const auto file = newFile(Library::Kind::still);
    if (!file.isSuccess()) {
        logSaveFailure(file.error());
        return;
    }
    writeEncoded(image, bytes, file.value().path, attempt + 1);
}

void AppState::stillWritten(const CapturedImage& image, const QString& path, qint64 bytes)
{
    captureLog().log("saved %ld KB", bytes / bytesPerKB);
    components_.thumbnails->add(QUrl::fromLocalFile(path), image.image, image.scale, false);
}

// Recordings.

void AppState::toggleRecording()
{
    if (isRecording_) {
        stopRecording();
        return;
    }
    if (components_.selector->isOpen() || !ensureScreenRecording()) {
        return;
    }
    openSelector({recordMicrophone_, microphoneID_, showClicks_});
}

void AppState::openSelector(const component::Recorder::Options& options)
{
    components_.selector->begin(options,
                                [self = QPointer(this)](const component::AreaSelector::Result& result) {
                                    if (self) {
                                        self->selectorFinished(result);
                                    }
                                });
}

void AppState::selectorFinished(const component::AreaSelector::Result& result)
{
    std::visit(Overloaded{
                   [this](const component::AreaSelector::Record& record) {
                       startRecording(record.rect, record.options);
                   },
                   [this](const component::AreaSelector::NeedsMicrophonePermission& request) {
                       components_.requestAudioAccess(
                           [self = QPointer(this), options = request.options](bool granted) mutable {
                               if (!self) {
                                   return;
                               }
                               options.microphone = granted;
                               self->openSelector(options);
                           });
                   },
                   [](const component::AreaSelector::Cancelled&) {},
               },
               result);
}

void AppState::startRecording(const Rect& rect, const component::Recorder::Options& options)
{
    setRecordMicrophone(options.microphone);
    if (options.microphone) {
        setMicrophoneID(options.microphoneID);
    }
    setShowClicks(options.showClicks);
    if (!components_.recorder->start(rect, options)) {
        return;
    }
    captureLog().log("recording started");
    publish(isRecording_, true);
    publish(recordingStartedAt_, components_.recorder->sessionStartedAt());
}

void AppState::stopRecording()
{
    if (!isRecording_) {
        return;
    }
    const auto file = newFile(Library::Kind::recording);
    if (!file.isSuccess()) {
        return; // the recording goes on; the user can try again
    }
    captureLog().log("recording stopped");
    publish(isRecording_, false);
    publish(recordingStartedAt_, std::optional<QDateTime>());
    ++recordingsSaving_;
    components_.recorder->stop(file.value().path, [self = QPointer(this)](std::optional<QString> movie) {
        if (!self) {
            return;
        }
        self->recordingStopped(std::move(movie));
        if (--self->recordingsSaving_ == 0 && self->whenRecordingsSaved_) {
            self->whenRecordingsSaved_();
        }
    });
}

void AppState::recordingStopped(std::optional<QString> movie)
{
    if (!movie) {
        return;
    }
    const QString path = *movie;
    components_.recorder->firstFrame(
        path, recordingThumbnailPixels, [self = QPointer(this), path](std::optional<QImage> frame) {
            if (self && frame) {
                self->components_.thumbnails->add(QUrl::fromLocalFile(path), *frame, 1.0, true);
            }
        });
}

// Movies a run that crashed or was killed never saved: they go into the capture folder under new
// names, each with its card, as if that run had stopped them.
void AppState::recoverRecordings()
{
    const auto leftovers = components_.recorder->leftovers();
    for (const QString& movie : leftovers) {
        const auto file = newFile(Library::Kind::recording);
        if (!file.isSuccess()) {
            captureLog().error("could not recover the recording %{public}s: %{public}s", movie, file.error());
            return;
        }
        captureLog().log("recovering the recording %{public}s", movie);
        components_.recorder->save(movie, file.value().path,
                                   [self = QPointer(this)](std::optional<QString> saved) {
                                       if (self) {
                                           self->recordingStopped(std::move(saved));
                                       }
                                   });
    }
}

// Quitting (from the menu, a signal or the end of the session) while recording: the recording is
// stopped and saved first, within the recorder's own limits.
void AppState::saveRecordingBeforeQuit()
{
    stopRecording();
    if (recordingsSaving_ == 0) {
        return;
    }
    captureLog().log("saving the recording before quitting");
    QEventLoop loop;
    whenRecordingsSaved_ = [&loop] { loop.quit(); };
    QTimer::singleShot(quitSaveLimit, &loop, &QEventLoop::quit);
    loop.exec();
    whenRecordingsSaved_ = nullptr;
}

// Thumbnails.

void AppState::editThumbnail(const ThumbnailItem& item)
{
    components_.editor->open(item.url, item.scale,
                             [self = QPointer(this), id = item.id](const QImage& saved) {
                                 if (self) {
                                     self->components_.thumbnails->replaceImage(id, saved);
                                 }
                             });
}

void AppState::trashThumbnail(const ThumbnailItem& item)
{
    // A file that could not be trashed is still where it was, so its card stays to say so.
    const QString path = item.url.toLocalFile();
    if (!brindle::Trash::moveToTrash(path)) {
        captureLog().error("could not move to Trash: %{public}s", path);
        components_.beep();
        return;
    }
    components_.thumbnails->remove(item.id);
}

} // namespace quillet
