// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/component.h"

namespace {

std::vector<std::string> journal;

class Probe : public platform::TComponent {
public:
    Probe(platform::TComponent* owner, std::string name) : TComponent(owner) { SetName(std::move(name)); }
    ~Probe() override {
        Destroying();
        journal.push_back("free " + Name());
    }
    std::vector<std::string> notices;
    bool loaded = false;

protected:
    void Notification(platform::TComponent* c, platform::TOperation op) override {
        notices.push_back((op == platform::opRemove ? "remove " : "insert ") + c->Name());
    }
    void Loaded() override { loaded = true; }
};

}  // namespace

TEST(Component, AnOwnerFreesWhatItOwnsLastCreatedFirst) {
    journal.clear();
    auto* root = new Probe(nullptr, "root");
    new Probe(root, "a");
    new Probe(root, "b");
    EXPECT_EQ(root->ComponentCount(), 2);
    delete root;
    EXPECT_EQ(journal, (std::vector<std::string>{"free root", "free b", "free a"}));
}

TEST(Component, FreeingAnOwnedComponentEarlyTakesItOffItsOwnersList) {
    journal.clear();
    Probe root(nullptr, "root");
    auto* a = new Probe(&root, "a");
    delete a;
    EXPECT_EQ(root.ComponentCount(), 0);
    ASSERT_EQ(root.notices.size(), 2u);  // insert (before the name was set), then remove
    EXPECT_EQ(root.notices[1], "remove a");
}

TEST(Component, AWatcherIsToldWhenTheWatchedComponentGoes) {
    Probe watcher(nullptr, "watcher");
    auto* port = new Probe(nullptr, "port");
    port->FreeNotification(&watcher);
    delete port;
    EXPECT_EQ(watcher.notices, (std::vector<std::string>{"remove port"}));
}

TEST(Component, AWatcherThatGoesFirstIsForgotten) {
    Probe port(nullptr, "port");
    {
        Probe watcher(nullptr, "watcher");
        port.FreeNotification(&watcher);
    }
    // Destroying port now must not touch the freed watcher (ASan would catch it).
    SUCCEED();
}

TEST(Component, LoadingFlagsReachOwnedComponentsAndLoadedRunsAfterwards) {
    Probe root(nullptr, "root");
    auto* child = new Probe(&root, "child");
    root.BeginLoading();
    EXPECT_TRUE(child->IsLoading());
    root.EndLoading();
    EXPECT_FALSE(child->IsLoading());
    EXPECT_TRUE(root.loaded);
    EXPECT_TRUE(child->loaded);
}

TEST(Component, DestroyingMarksTheWholeTree) {
    Probe root(nullptr, "root");
    auto* child = new Probe(&root, "child");
    root.Destroying();
    EXPECT_TRUE(root.IsDestroying());
    EXPECT_TRUE(child->IsDestroying());
}
