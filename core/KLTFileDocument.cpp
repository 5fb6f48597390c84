// The training as a document: user changes with their bookkeeping and announcements.
#include <algorithm>

#include "core/BinaryFile.h"
#include "core/Exceptions.h"
#include "core/Initials.h"
#include "core/KLTFile.h"
#include "core/PRMesWrt.h"
#include "core/Texts.h"
#include "core/TrainingEnvironment.h"
#include "core/Utf8Chars.h"

namespace klt {
namespace {

TKLTFile*& ActiveSelectionHolder() {
    static TKLTFile* holder = nullptr;
    return holder;
}

} // namespace

TKLTFile::~TKLTFile() {
    if (ActiveSelectionHolder() == this) {
        ActiveSelectionHolder() = nullptr;
    }
}

bool TKLTFile::Modified() const {
    return (loadState_ == TLoadState::Loaded || loadState_ == TLoadState::Imported) && !modificationMark_.IsNone();
}

bool TKLTFile::ChangedOnDisk() const {
    if (loadState_ != TLoadState::Loaded && loadState_ != TLoadState::Imported) {
        return false;
    }
    const int64_t onDisk = FileModificationStamp(fileName_);
    return onDisk < 0 || onDisk != stamp_;
}

void TKLTFile::BeginUpdate() { ++updateDepth_; }

void TKLTFile::EndUpdate() {
    if (updateDepth_ > 0 && --updateDepth_ == 0 && pendingChanges_ != 0) {
        const int changes = std::exchange(pendingChanges_, 0);
        Announce(changes);
    }
}

void TKLTFile::Announce(int changes) {
    if (updateDepth_ > 0) {
        pendingChanges_ |= changes;
        return;
    }
    // A view may close itself while being told; walk a copy.
    const std::vector<IKLTFileView*> views = views_;
    for (IKLTFileView* view : views) {
        if (std::find(views_.begin(), views_.end(), view) != views_.end()) {
            view->TrainingChanged(*this, changes);
        }
    }
}

void TKLTFile::Modify(int changes) {
    EnsureLoaded();
    MarkModified();
    Announce(changes | TKLTChange::Modified);
}

void TKLTFile::AddView(IKLTFileView* view) {
    const std::vector<IKLTFileView*> others = views_;
    views_.push_back(view);
    for (IKLTFileView* other : others) {
        other->TrainingChanged(*this, TKLTChange::Repaint);
    }
    const bool loaded = loadState_ == TLoadState::Loaded || loadState_ == TLoadState::Imported;
    view->TrainingChanged(*this, loaded ? TKLTChange::Everything : TKLTChange::Repaint);
}

void TKLTFile::RemoveView(IKLTFileView* view) {
    std::erase(views_, view);
    for (IKLTFileView* other : std::vector<IKLTFileView*>(views_)) {
        other->TrainingChanged(*this, TKLTChange::Repaint);
    }
}

void TKLTFile::RecomputeMarkers() {
    if (!markers_.empty()) {
        ComputeMarker(*markers_.front(), 1, SampleCount());
    }
    ComputeOtherMarkers();
}

TKLTMarker& TKLTFile::AddMarker(const TKLTMarker& marker) {
    EnsureLoaded();
    TKLTMarker computed = marker;
    ComputeMarker(computed, marker.first, marker.last);
    TKLTMarker& added = InsertMarker(computed);
    if (TrainingEnvironment().markerNames != nullptr) {
        TrainingEnvironment().markerNames->AddName(marker.name);
    }
    Modify(TKLTChange::Markers);
    return added;
}

void TKLTFile::RemoveMarker(int index) {
    if (index <= 0 || index >= MarkerCount()) {
        return;
    }
    DeleteMarker(index);
    Modify(TKLTChange::Markers);
}

std::string TKLTFile::MarkerCaption(int index, int flags) const {
    std::string text;
    if ((flags & 4) != 0) {
        text = index == 0 ? LoadText(333) : Marker(index).name;
    }
    if ((flags & 1) != 0) {
        const std::string number = ((flags & 2) != 0 && index < 10 ? "&" : "") + std::to_string(index);
        text = FormatText(LoadText(332), {number, text});
    }
    return TrimText(text);
}

std::string TKLTFile::MarkerDescription(int index, TDateForm dateForm, bool withValues) const {
    const TKLTMarker& m = Marker(index);
    std::string text = FormatDate(header_.date, dateForm);
    if (!blocks_.empty()) {
        text += " " + FormatTimeOfDay(m.startTime, false).substr(0, 5) + "-" +
                FormatTimeOfDay(m.endTime, false).substr(0, 5);
    }
    text += " " + (markers_.empty() ? std::string() : Marker(0).name);
    if (index != 0) {
        text += "/" + m.name;
    }
    if (withValues) {
        if (m.Duration() > 0) {
            text += " " + FormatTimeOfDay(m.Duration(), false) + " h";
        }
        if (m.Work() > 0) {
            const TMesswertArt& work = MesswertArt(mwaArbeit);
            text += " " + work.FormatValue(static_cast<double>(m.Work()), 0, false) + " " + work.UnitShortName();
        }
        if (m.Distance() > 0) {
            const TMesswertArt& distance = MesswertArt(mwaStrecke);
            text += " " + distance.FormatValue(static_cast<double>(m.Distance()), 0, false) + " " +
                    distance.UnitShortName();
        }
    }
    if (!comment_.empty()) {
        text += " " + comment_;
    }
    return text;
}

std::string TKLTFile::PromptDescription() const {
    return markers_.empty() ? fileName_ : MarkerDescription(0, TDateForm::Long, true);
}

void TKLTFile::SetDate(uint16_t days) {
    EnsureLoaded();
    header_.date = days;
    Modify(0);
    CanonicalRename();
}

void TKLTFile::SetStartTime(int32_t time) {
    EnsureLoaded();
    const int32_t oldStart = markers_.empty() ? 0 : Marker(0).startTime;
    if (time == oldStart) {
        return;
    }
    BeginUpdate();
    if (blocks_.empty()) {
        blocks_.push_back({0, static_cast<uint16_t>(SampleCount())});
    }
    const int64_t shift = int64_t{time} - oldStart;
    for (TKLTBlock& block : blocks_) {
        block.start = static_cast<uint32_t>(block.start + shift);
    }
    RecomputeMarkers();
    Modify(TKLTChange::Samples);
    EndUpdate();
    CanonicalRename();
}

void TKLTFile::SamplesEdited() {
    BeginUpdate();
    RecomputeMarkers();
    Modify(TKLTChange::Samples);
    EndUpdate();
}

void TKLTFile::SetComment(const std::string& text) {
    EnsureLoaded();
    SetCommentText(text);
    Modify(0);
    CanonicalRename();
}

void TKLTFile::SetInitials(const std::string& text) {
    EnsureLoaded();
    if (markers_.empty()) {
        markers_.push_back(std::make_unique<TKLTMarker>());
    }
    Marker(0).name = NormalizeInitials(text);
    Modify(TKLTChange::Markers);
    CanonicalRename();
}

const std::array<uint16_t, TKLTTrainingsBereiche::kBoundCount>& TKLTFile::TrainingZones() {
    return zones_.BoundsFor(markers_.empty() ? std::string() : Marker(0).name, header_.date);
}

void TKLTFile::ClearSelection() {
    if (selectionActive_) {
        selectionActive_ = false;
        Announce(TKLTChange::Selection);
    }
}

void TKLTFile::SetSelection(bool active, int first, int last) {
    const int count = std::max(SampleCount(), 1);
    first = std::clamp(first, 1, count);
    last = std::clamp(last, 1, count);
    if (active == selectionActive_ && first == selectionFirst_ && last == selectionLast_) {
        return;
    }
    TKLTFile*& holder = ActiveSelectionHolder();
    if (active && holder != nullptr && holder != this) {
        holder->ClearSelection();
    }
    selectionActive_ = active;
    selectionFirst_ = first;
    selectionLast_ = last;
    holder = active ? this : (holder == this ? nullptr : holder);
    Announce(TKLTChange::Selection);
}

} // namespace klt
