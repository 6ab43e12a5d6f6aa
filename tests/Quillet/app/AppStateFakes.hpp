#pragma once

// Stand-ins for the components the application state drives, recording what they were asked.

#include "Quillet/capture/PermissionAlert.hpp"
#include "Quillet/capture/ScreenRecordingPermission.hpp"
#include "Quillet/editor/Editor.hpp"
#include "Quillet/recording/AreaSelector.hpp"
#include "Quillet/recording/Recorder.hpp"
#include "Quillet/shortcuts/HotKeys.hpp"
#include "Quillet/thumbnails/ThumbnailDisplay.hpp"

#include <algorithm>
#include <optional>
#include <vector>

namespace quillet::testing {

struct AddedThumbnail {
    QUrl url;
    QSize size;
    double scale = 1;
    bool isVideo = false;
    bool isSaving = false;
    QUuid id;
};

class FakeThumbnails final : public ThumbnailDisplay {
public:
    void add(const QUrl& url, const QImage& image, double scale, bool isVideo) override
    {
        added.push_back({url, image.size(), scale, isVideo, false, QUuid::createUuid()});
    }
    QUuid addSaving(const QImage& image, double scale) override
    {
        added.push_back({QUrl(), image.size(), scale, false, true, QUuid::createUuid()});
        return added.back().id;
    }
    void finishSaving(const QUuid& id, const QUrl& url) override
    {
        for (auto& card : added) {
            if (card.id == id) {
                card = {url, card.size, card.scale, false, false, id};
            }
        }
    }
    void remove(const QUuid& id) override
    {
        std::erase_if(added, [&id](const AddedThumbnail& card) { return card.id == id; });
        ++removed;
    }
    // Cards whose file is complete (or that never waited for one).
    [[nodiscard]] std::size_t finished() const
    {
        return std::count_if(added.begin(), added.end(),
                             [](const AddedThumbnail& card) { return !card.isSaving; });
    }
    void replaceImage(const QUuid& id, const QImage& image) override
    {
        replaced.emplace_back(id, image.size());
    }
    void setOnEdit(Action action) override { onEdit = std::move(action); }

    std::vector<AddedThumbnail> added;
    std::vector<std::pair<QUuid, QSize>> replaced;
    int removed = 0;
    Action onEdit;
};

class FakeHotKeys final : public HotKeys {
public:
    void registerShortcuts(const ShortcutMap& shortcuts) override { registrations.push_back(shortcuts); }
    void unregister() override { ++unregistrations; }
    [[nodiscard]] std::set<CaptureAction> failed() const override { return refused; }
    void setOnPress(Action action) override { onPress = std::move(action); }
    void setOnFailedChange(std::function<void()> changed) override { onFailedChange = std::move(changed); }

    std::vector<ShortcutMap> registrations;
    int unregistrations = 0;
    std::set<CaptureAction> refused;
    Action onPress;
    std::function<void()> onFailedChange;
};

class FakeRecorder final : public Recorder {
public:
    bool start(const Rect& rect, const Options& options) override
    {
        starts.emplace_back(rect, options);
        if (startSucceeds) {
            session = QDateTime::currentDateTime();
        }
        return startSucceeds;
    }
    [[nodiscard]] std::optional<QDateTime> sessionStartedAt() const override { return session; }
    void stop(const QString& path, StopCompletion completion) override
    {
        stops.push_back(path);
        session.reset();
        if (holdStop) {
            heldStop = [completion, path] { completion(path); };
            return;
        }
        completion(stopGivesMovie ? std::optional<QString>(path) : std::nullopt);
    }
    void firstFrame(const QString&, int maxPixels, FrameCompletion completion) override
    {
        completion(QImage(maxPixels, maxPixels / 2, QImage::Format_RGBA8888_Premultiplied));
    }
    void setOnEnded(Ended ended) override { onEnded = std::move(ended); }
    [[nodiscard]] std::vector<QString> leftovers() const override { return leftoverMovies; }
    void save(const QString& movie, const QString& path, StopCompletion completion) override
    {
        saves.emplace_back(movie, path);
        completion(path);
    }

    Ended onEnded;
    std::vector<QString> leftoverMovies;
    std::vector<std::pair<QString, QString>> saves;

    bool startSucceeds = true;
    bool stopGivesMovie = true;
    bool holdStop = false; // the stop completes when `heldStop` is called
    std::function<void()> heldStop;
    std::optional<QDateTime> session;
    std::vector<std::pair<Rect, Options>> starts;
    std::vector<QString> stops;
};

class FakeSelector final : public AreaSelector {
public:
    void begin(const Recorder::Options& options, Completion completion) override
    {
        begun.push_back(options);
        this->completion = std::move(completion);
    }
    [[nodiscard]] bool isOpen() const override { return open; }

    // Ends the selection as the user would.
    void finish(const Result& result)
    {
        const Completion done = completion;
        done(result);
    }

    bool open = false;
    std::vector<Recorder::Options> begun;
    Completion completion;
};

class FakeEditor final : public Editor {
public:
    void open(const QUrl& url, double scale, SaveCallback onSave) override
    {
        opened.emplace_back(url, scale);
        this->onSave = std::move(onSave);
    }

    std::vector<std::pair<QUrl, double>> opened;
    SaveCallback onSave;
};

class FakePermission final : public ScreenRecordingPermission {
public:
    explicit FakePermission(bool granted) : granted(granted) {}
    [[nodiscard]] bool preflight() const override
    {
        ++preflights;
        return granted;
    }
    bool request() override
    {
        ++requests;
        return granted;
    }

    bool granted;
    mutable int preflights = 0;
    int requests = 0;
};

class FakeAlert final : public PermissionAlert {
public:
    [[nodiscard]] Choice show() override
    {
        ++shown;
        return Choice::cancel;
    }
    int shown = 0;
};

} // namespace quillet::testing
