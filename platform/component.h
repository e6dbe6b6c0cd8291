// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TComponent: the ownership tree every component lives in. An owner frees the
// components it owns (last created first); anyone may ask to be told when a
// component goes away (FreeNotification), which is how links and framers
// avoid using a destroyed port.
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

class TObject {
public:
    virtual ~TObject() = default;
};

enum TComponentStateFlag : unsigned {
    csLoading = 1u << 0,
    csDestroying = 1u << 1,
    csDesigning = 1u << 2,
    // Someone has asked for this component's removal notice (kept after the
    // request is withdrawn, as the framework does).
    csFreeNotification = 1u << 3,
};

enum TOperation { opInsert, opRemove };

class TComponent : public TObject {
public:
    explicit TComponent(TComponent* owner = nullptr);
    ~TComponent() override;
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    TComponent* Owner() const { return owner_; }
    const std::string& Name() const { return name_; }
    void SetName(const std::string& name) { name_ = name; }
    intptr_t Tag() const { return tag_; }
    void SetTag(intptr_t tag) { tag_ = tag; }

    unsigned ComponentState() const { return state_; }
    bool IsLoading() const { return (state_ & csLoading) != 0; }
    bool IsDestroying() const { return (state_ & csDestroying) != 0; }

    // Stored property values are being applied: setters only store.
    void BeginLoading();
    // Loading is over (clears the flag on this component and the ones it owns,
    // then lets each react through Loaded).
    void EndLoading();

    // Marks this component and everything it owns as being destroyed. A
    // derived destructor calls it first so handlers still running see the flag.
    void Destroying();

    int ComponentCount() const { return static_cast<int>(components_.size()); }
    TComponent* Components(int index) const { return components_.at(static_cast<size_t>(index)); }

    // Ask to be told (Notification with opRemove) when this component is freed.
    void FreeNotification(TComponent* subscriber);
    void RemoveFreeNotification(TComponent* subscriber);

protected:
    // Tells every watcher now (opRemove) instead of in ~TComponent: a derived
    // destructor calls it while its own members are still alive for the
    // watchers' calls back.
    void SendFreeNotifications();

    // Called when a component this one owns or watches is inserted or removed.
    virtual void Notification(TComponent* component, TOperation operation);
    virtual void Loaded();

private:
    void InsertComponent(TComponent* component);
    void RemoveComponent(TComponent* component);

    TComponent* owner_ = nullptr;
    std::string name_;
    intptr_t tag_ = 0;
    unsigned state_ = 0;
    std::vector<TComponent*> components_;
    std::vector<TComponent*> free_notifies_;
};

}  // namespace platform
