// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/component.h"

#include <algorithm>

namespace platform {

TComponent::TComponent(TComponent* owner) {
    if (owner) owner->InsertComponent(this);
}

TComponent::~TComponent() {
    Destroying();
    // Tell every watcher first, then free what we own (last created first),
    // then leave our owner.
    SendFreeNotifications();
    while (!components_.empty()) {
        TComponent* child = components_.back();
        delete child;  // the child removes itself from components_
    }
    if (owner_) owner_->RemoveComponent(this);
}

void TComponent::SendFreeNotifications() {
    while (!free_notifies_.empty()) {
        TComponent* watcher = free_notifies_.back();
        free_notifies_.pop_back();
        auto& theirs = watcher->free_notifies_;
        theirs.erase(std::remove(theirs.begin(), theirs.end(), this), theirs.end());
        watcher->Notification(this, opRemove);
    }
}

void TComponent::BeginLoading() {
    state_ |= csLoading;
    for (TComponent* child : components_) child->BeginLoading();
}

void TComponent::EndLoading() {
    const bool was_loading = IsLoading();
    state_ &= ~csLoading;
    for (TComponent* child : std::vector<TComponent*>(components_)) child->EndLoading();
    if (was_loading) Loaded();
}

void TComponent::Loaded() {}

void TComponent::Destroying() {
    if (IsDestroying()) return;
    state_ |= csDestroying;
    for (TComponent* child : components_) child->Destroying();
}

void TComponent::FreeNotification(TComponent* subscriber) {
    if (!subscriber || subscriber == this) return;
    state_ |= csFreeNotification;
    if (std::find(free_notifies_.begin(), free_notifies_.end(), subscriber) == free_notifies_.end())
        free_notifies_.push_back(subscriber);
    // Both ways, as the framework does: whichever dies first tells the other.
    if (std::find(subscriber->free_notifies_.begin(), subscriber->free_notifies_.end(), this) ==
        subscriber->free_notifies_.end())
        subscriber->free_notifies_.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* subscriber) {
    if (!subscriber) return;
    free_notifies_.erase(std::remove(free_notifies_.begin(), free_notifies_.end(), subscriber), free_notifies_.end());
    auto& theirs = subscriber->free_notifies_;
    theirs.erase(std::remove(theirs.begin(), theirs.end(), this), theirs.end());
}

void TComponent::Notification(TComponent*, TOperation) {}

void TComponent::InsertComponent(TComponent* component) {
    components_.push_back(component);
    component->owner_ = this;
    Notification(component, opInsert);
}

void TComponent::RemoveComponent(TComponent* component) {
    components_.erase(std::remove(components_.begin(), components_.end(), component), components_.end());
    component->owner_ = nullptr;
    if (!IsDestroying()) Notification(component, opRemove);
}

}  // namespace platform
