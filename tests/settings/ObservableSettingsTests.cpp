#include "ExampleSettingsOwner.h"
#include "RecordingObserver.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>

namespace
{
    // Asked from a second thread, because the lock is re-entrant for the thread that holds it.
    bool isWriteLockFreeForOtherThreads (juce::ReadWriteLock& lock)
    {
        bool acquired = false;

        std::thread probe ([&]
        {
            acquired = lock.tryEnterWrite();

            if (acquired)
                lock.exitWrite();
        });

        probe.join();
        return acquired;
    }

    size_t liveObserverCount (const Attribute& attribute)
    {
        size_t count = 0;

        for (const auto& entry : attribute.observers)
            if (entry.get() != nullptr)
                ++count;

        return count;
    }
}

TEST (SettingsObservers, RegisteringTwiceKeepsOneEntryAndGivesOneCall)
{
    BoolAttribute setting;
    RecordingObserver observer;

    setting.addAttributeObserver (&observer);
    setting.addAttributeObserver (&observer);
    EXPECT_EQ (setting.observers.size(), 1u);

    setting.setValue (true);
    EXPECT_EQ (observer.events.size(), 1u);

    setting.removeAttributeObserver (&observer);
    setting.setValue (false);
    EXPECT_TRUE (setting.observers.empty());
    EXPECT_EQ (observer.events.size(), 1u);
}

TEST (SettingsObservers, OnlyAChangedValueNotifiesEachObserverOnceInRegistrationOrder)
{
    std::vector<const RecordingObserver*> calls;
    RecordingObserver first (&calls), second (&calls), third (&calls);
    BoolAttribute setting;

    for (auto* observer : { &first, &second, &third })
        setting.addAttributeObserver (observer);

    setting.setValue (false);
    EXPECT_TRUE (calls.empty());

    setting.setValue (true);
    EXPECT_TRUE (setting.value);
    ASSERT_EQ (calls, (std::vector<const RecordingObserver*> { &first, &second, &third }));

    const auto& event = second.events.front();
    EXPECT_EQ (event.source, &setting);
    EXPECT_EQ (event.changedAttribute, &setting);

    setting.setValue (true);
    EXPECT_EQ (calls.size(), 3u);
}

TEST (SettingsObservers, ObserversAreCalledAfterTheLockIsReleased)
{
    BoolAttribute setting;
    setting.saveState();

    {
        const juce::ScopedWriteLock sl (setting.lock);
        ASSERT_FALSE (isWriteLockFreeForOtherThreads (setting.lock)) << "the probe cannot see a held lock";
    }

    std::vector<bool> lockFreeDuringCall;
    RecordingObserver observer;
    observer.onChange = [&] (AttributeChangedEvent&) { lockFreeDuringCall.push_back (isWriteLockFreeForOtherThreads (setting.lock)); };
    setting.addAttributeObserver (&observer);

    setting.setValue (true);
    setting.restoreState();

    EXPECT_FALSE (setting.value);
    EXPECT_EQ (lockFreeDuringCall, (std::vector<bool> { true, true }));
}

TEST (SettingsObservers, DestroyedObserverIsPassedOverAndKeepsItsEntry)
{
    BoolAttribute setting;
    auto gone = std::make_unique<RecordingObserver>();
    RecordingObserver live;

    setting.addAttributeObserver (gone.get());
    setting.addAttributeObserver (&live);
    gone.reset();

    setting.setValue (true);

    EXPECT_EQ (live.events.size(), 1u);
    EXPECT_EQ (setting.observers.size(), 2u);
    EXPECT_EQ (liveObserverCount (setting), 1u);
}

TEST (SettingsObservers, ObserversMayChangeTheListWhileBeingCalled)
{
    BoolAttribute setting;
    RecordingObserver leaving, staying;
    auto destroyedMidway = std::make_unique<RecordingObserver>();

    leaving.onChange = [&] (AttributeChangedEvent&)
    {
        setting.removeAttributeObserver (&leaving);
        destroyedMidway.reset();
    };

    setting.addAttributeObserver (&leaving);
    setting.addAttributeObserver (&staying);
    setting.addAttributeObserver (destroyedMidway.get());

    setting.setValue (true);
    EXPECT_EQ (leaving.events.size(), 1u);
    EXPECT_EQ (staying.events.size(), 1u);

    setting.setValue (false);
    EXPECT_EQ (leaving.events.size(), 1u);
    EXPECT_EQ (staying.events.size(), 2u);
}

TEST (SettingsObservers, ObserverThatDestroysTheSettingEndsTheRound)
{
    auto setting = std::make_unique<BoolAttribute>();
    RecordingObserver destroyer, later;
    destroyer.onChange = [&] (AttributeChangedEvent&) { setting.reset(); };

    setting->addAttributeObserver (&destroyer);
    setting->addAttributeObserver (&later);
    setting->setValue (true);

    EXPECT_EQ (setting, nullptr);
    EXPECT_EQ (destroyer.events.size(), 1u);
    EXPECT_TRUE (later.events.empty());
    EXPECT_EQ (later.detachCalls, 1);
}

TEST (SettingsObservers, RestoreNotifiesOnlyWhenABooleanChangesButAlwaysForAList)
{
    BoolAttribute flag;
    IntListAttribute list;
    RecordingObserver observer;
    flag.addAttributeObserver (&observer);
    list.addAttributeObserver (&observer);

    flag.saveState();
    flag.restoreState();
    EXPECT_TRUE (observer.events.empty()) << "a boolean at its revert point";

    flag.value = true;
    flag.restoreState();
    EXPECT_FALSE (flag.value);
    EXPECT_EQ (observer.events.size(), 1u);

    list.assign ({ 2, 1, 0 });
    list.saveState();
    list.restoreState();
    EXPECT_EQ (observer.events.size(), 2u) << "a list at its revert point still notifies";

    list.assign ({ 7 });
    list.restoreState();
    EXPECT_EQ (static_cast<const std::vector<int32_t>&> (list), (std::vector<int32_t> { 2, 1, 0 }));
    EXPECT_EQ (observer.events.size(), 3u);
    EXPECT_EQ (observer.events.back().changedAttribute, &list);

    flag.value = true;
    flag.saveState();
    list.saveState();
    EXPECT_TRUE (flag.savedValue);
    EXPECT_EQ (observer.events.size(), 3u) << "saveState notifies nobody";
}

TEST (SettingsObservers, OwnerRegistersItsSettingsInOrderAndForwardsObservers)
{
    ExampleSettingsOwner owner;

    ASSERT_EQ (owner.attributes.size(), 2u);
    EXPECT_EQ (owner.attributes[0].get(), &owner.channelMapping);
    EXPECT_EQ (owner.attributes[1].get(), &owner.solvinConnected);
    EXPECT_EQ (owner.channelMapping.key, L"ChannelMapping");
    EXPECT_EQ (owner.channelMapping.displayName, L"Input Routing");
    EXPECT_EQ (owner.solvinConnected.key, L"SolvinConnected");
    EXPECT_EQ (owner.solvinConnected.displayName, L"Solvin Connected");
    EXPECT_EQ (owner.channelMapping.savedList, (std::vector<int32_t> { 0, 1, 2, 3, 4, 5 }));
    EXPECT_FALSE (owner.solvinConnected.savedValue);

    for (auto* setting : { static_cast<Attribute*> (&owner.channelMapping), static_cast<Attribute*> (&owner.solvinConnected) })
    {
        ASSERT_EQ (setting->observers.size(), 1u);
        EXPECT_EQ (setting->observers.front().get(), &owner);
    }

    RecordingObserver observer;
    owner.addAttributeObserver (&observer);
    owner.solvinConnected.setValue (true);
    owner.channelMapping.notifyObservers();
    ASSERT_EQ (observer.events.size(), 2u);
    EXPECT_EQ (observer.events[0].changedAttribute, &owner.solvinConnected);
    EXPECT_EQ (observer.events[1].changedAttribute, &owner.channelMapping);

    owner.removeAttributeObserver (&observer);
    EXPECT_EQ (owner.channelMapping.observers.size(), 1u);
    EXPECT_EQ (owner.solvinConnected.observers.size(), 1u);

    EXPECT_EQ (owner.solvinConnected.getDisplayValue(), L"on");
    owner.solvinConnected.setValue (false);
    EXPECT_EQ (owner.solvinConnected.getDisplayValue(), L"off");
    EXPECT_EQ (owner.channelMapping.getDisplayValue(), L"");
}

// Destruction in every order must leave no dangling reference on either side; the address
// sanitizer run turns any use of a destroyed object here into a failure.
TEST (SettingsLifetime, DestroyedSettingDetachesEachLiveObserverOnce)
{
    Data owner;
    RecordingObserver first, second, stubborn;
    stubborn.keepEntryOnDetach = true;
    auto gone = std::make_unique<RecordingObserver>();

    {
        BoolAttribute setting;
        setting.init (&owner, L"Flag", L"Flag");

        for (auto* observer : { &first, gone.get(), &stubborn, &second })
            setting.addAttributeObserver (observer);

        gone.reset();
    }

    EXPECT_EQ (first.detachCalls, 1);
    EXPECT_EQ (second.detachCalls, 1);
    EXPECT_EQ (stubborn.detachCalls, 1) << "an observer that stays listed is asked once and passed over";
    ASSERT_EQ (owner.attributes.size(), 1u);
    EXPECT_EQ (owner.attributes.front().get(), nullptr);
}

TEST (SettingsLifetime, ObserverDestroyedBeforeItsSetting)
{
    BoolAttribute setting;

    {
        RecordingObserver observer;
        setting.addAttributeObserver (&observer);
    }

    setting.setValue (true);
    EXPECT_EQ (liveObserverCount (setting), 0u);
}

TEST (SettingsLifetime, OwnerDestroyedBeforeItsSettings)
{
    BoolAttribute setting;
    RecordingObserver observer;

    {
        Data owner;
        setting.init (&owner, L"Flag", L"Flag");
        setting.addAttributeObserver (&observer);
        ASSERT_EQ (setting.observers.size(), 2u);
    }

    ASSERT_EQ (setting.observers.size(), 1u) << "the owner unregisters itself";
    EXPECT_EQ (setting.observers.front().get(), &observer);

    setting.setValue (true);
    EXPECT_EQ (observer.events.size(), 1u);
}

TEST (SettingsLifetime, OwnerWithMemberSettingsDetachesOutsideObservers)
{
    RecordingObserver observer;
    auto owner = std::make_unique<ExampleSettingsOwner>();
    owner->addAttributeObserver (&observer);

    owner.reset();

    EXPECT_EQ (observer.detachCalls, 2);
}
