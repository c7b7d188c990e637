// Signals, slots and slot lists: connection bookkeeping, emission order and
// emissions that survive handlers rewiring or destroying endpoints.
#include "core/CSlotList.h"
#include "core/String.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// A receiver that records every call in a shared log.
struct Recorder {
    explicit Recorder(std::vector<std::string>* log, std::string name = "r") : log(log), name(std::move(name)) {}
    void onNone() { log->push_back(name); }
    void onInt(int a) { log->push_back(name + ":" + std::to_string(a)); }
    void onTwo(int a, int b) { log->push_back(name + ":" + std::to_string(a) + "," + std::to_string(b)); }
    void onFive(int a, int b, int c, int d, int e)
    {
        log->push_back(name + ":" + std::to_string(a + b + c + d + e));
    }
    void onText(const String& text) { log->push_back(name + ":" + text.c_str()); }
    void onRef(int& value) { value += 1; }
    void onItem(Recorder* item) { log->push_back(name + "<-" + item->name); }

    std::vector<std::string>* log;
    std::string name;
    CSlotList slots;
};

int freeCalls = 0;
void freeHandler(int a) { freeCalls += a; }

} // namespace

TEST(CSignal, EmitsToSlotsInConnectionOrderWithTheirArguments)
{
    std::vector<std::string> log;
    Recorder first(&log, "first"), second(&log, "second"), third(&log, "third");
    CSignal<int, int> moved;
    moved.emit(0, 0);  // nothing connected: nothing happens
    connectSlot(first.slots, moved, &first, &Recorder::onTwo);
    connectSlot(second.slots, moved, &second, &Recorder::onTwo);
    connectSlot(third.slots, moved, &third, &Recorder::onTwo);
    moved.emit(3, 4);
    EXPECT_EQ(log, (std::vector<std::string>{"first:3,4", "second:3,4", "third:3,4"}));

    CSignal<> tick;
    CSignal<const String&> text;
    CSignal<int, int, int, int, int> five;
    CSignal<int&> byReference;
    connectSlot(first.slots, tick, &first, &Recorder::onNone);
    connectSlot(first.slots, text, &first, &Recorder::onText);
    connectSlot(first.slots, five, &first, &Recorder::onFive);
    connectSlot(first.slots, byReference, &first, &Recorder::onRef);
    connectSlot(second.slots, byReference, &second, &Recorder::onRef);
    log.clear();
    tick.emit();
    text.emit(String("hi"));
    five.emit(1, 2, 3, 4, 5);
    int counter = 10;
    byReference.emit(counter);
    EXPECT_EQ(log, (std::vector<std::string>{"first", "first:hi", "first:15"}));
    EXPECT_EQ(counter, 12);
}

TEST(CSignal, ConnectIsSymmetricAndRefusesSelfAndDuplicates)
{
    CSignal<int> signal;
    CSlot<Recorder, int> slot;
    EXPECT_FALSE(signal.connect(signal));
    EXPECT_FALSE(signal.connect(nullptr));
    EXPECT_TRUE(signal.connect(slot));
    EXPECT_FALSE(signal.connect(slot));
    EXPECT_FALSE(slot.connect(signal));
    EXPECT_EQ(signal.connectionCount(), 1);
    EXPECT_EQ(slot.connectionCount(), 1);
    EXPECT_TRUE(slot.isConnected(&signal));

    freeCalls = 0;
    slot.bind(&freeHandler);
    signal.emit(2);
    EXPECT_EQ(freeCalls, 2);  // connected twice, called once

    EXPECT_TRUE(slot.disconnect(signal));
    EXPECT_FALSE(signal.disconnect(slot));
    EXPECT_EQ(signal.connectionCount(), 0);
    EXPECT_EQ(slot.connectionCount(), 0);
    signal.emit(5);
    EXPECT_EQ(freeCalls, 2);
}

TEST(CSignal, MismatchedArityOrSignatureIsNeverCalled)
{
    std::vector<std::string> log;
    Recorder r(&log);
    CSignal<> tick;
    auto* two = new CSlot<Recorder, int, int>();
    two->bind(&r, &Recorder::onTwo);
    r.slots.append(two);
    tick.connect(two);
    tick.emit();

    // Same arity, different types: an int signal never hands its value to a
    // String slot.
    CSignal<int> number;
    auto* text = new CSlot<Recorder, const String&>();
    text->bind(&r, &Recorder::onText);
    r.slots.append(text);
    number.connect(text);
    number.emit(7);

    // A signal connected to a signal does not forward.
    CSignal<int> other;
    auto* plain = new CSlot<Recorder, int>();
    plain->bind(&r, &Recorder::onInt);
    r.slots.append(plain);
    other.connect(plain);
    number.connect(other);
    number.emit(8);
    EXPECT_TRUE(log.empty());
}

TEST(CSlotUser1, DeliversTheValueStoredAtBinding)
{
    std::vector<std::string> log;
    Recorder menu(&log, "menu"), open(&log, "open"), save(&log, "save");
    CSignal<> openClicked, saveClicked;
    connectSlot(menu.slots, openClicked, &menu, &Recorder::onItem, &open);
    connectSlot(menu.slots, saveClicked, &menu, &Recorder::onItem, &save);
    saveClicked.emit();
    openClicked.emit();
    EXPECT_EQ(log, (std::vector<std::string>{"menu<-save", "menu<-open"}));
}

TEST(CSlotList, ReceiverDestroyedBeforeItsEmitter)
{
    std::vector<std::string> log;
    CSignal<int> signal;
    {
        Recorder r(&log);
        connectSlot(r.slots, signal, &r, &Recorder::onInt);
        EXPECT_EQ(signal.connectionCount(), 1);
    }
    EXPECT_EQ(signal.connectionCount(), 0);
    signal.emit(1);
    EXPECT_TRUE(log.empty());
}

TEST(CSlotList, EmitterDestroyedBeforeItsReceiver)
{
    std::vector<std::string> log;
    Recorder r(&log);
    auto signal = std::make_unique<CSignal<int>>();
    CSlotList::Node* node = connectSlot(r.slots, *signal, &r, &Recorder::onInt);
    CEventBase* slot = node->value;
    EXPECT_EQ(slot->connectionCount(), 1);
    signal.reset();
    EXPECT_EQ(slot->connectionCount(), 0);
    EXPECT_EQ(r.slots.count(), 1);  // the slot stays with its owner, unconnected
    r.slots.clear();
    EXPECT_EQ(r.slots.count(), 0);
}

TEST(CSignal, HandlerMayDisconnectItsOwnSlot)
{
    struct Once {
        void fire() { ++calls; slot.disconnectAll(); }
        int calls = 0;
        CSlot<Once> slot;
    } once;
    std::vector<std::string> log;
    Recorder after(&log, "after");
    CSignal<> tick;
    once.slot.bind(&once, &Once::fire);
    tick.connect(once.slot);
    connectSlot(after.slots, tick, &after, &Recorder::onNone);
    tick.emit();
    tick.emit();
    EXPECT_EQ(once.calls, 1);
    EXPECT_EQ(log, (std::vector<std::string>{"after", "after"}));
}

namespace {

// A receiver whose handler tears down other endpoints mid-emission.
struct Saboteur {
    void destroyVictim() { ++calls; victim.reset(); }
    void disconnectSlot() { ++calls; target->disconnectAll(); }
    void destroyEmitter() { ++calls; emitter.reset(); }
    void clearOwnSlots() { ++calls; slots.clear(); }
    void connectLate() { ++calls; connectSlot(late->slots, *signal, late, &Recorder::onNone); }
    void reemit()
    {
        if (++calls < 3)
            signal->emit();
    }

    int calls = 0;
    std::unique_ptr<Recorder> victim;
    std::unique_ptr<CSignal<>> emitter;
    CEventBase* target = nullptr;
    Recorder* late = nullptr;
    CSignal<>* signal = nullptr;
    CSlotList slots;
};

} // namespace

TEST(CSignal, HandlerDestroyingAReceiverStillAheadSkipsIt)
{
    std::vector<std::string> log;
    CSignal<> tick;
    Saboteur saboteur;
    saboteur.victim = std::make_unique<Recorder>(&log, "victim");
    Recorder last(&log, "last");
    connectSlot(saboteur.slots, tick, &saboteur, &Saboteur::destroyVictim);
    connectSlot(saboteur.victim->slots, tick, saboteur.victim.get(), &Recorder::onNone);
    connectSlot(saboteur.victim->slots, tick, saboteur.victim.get(), &Recorder::onNone);  // two slots ahead
    connectSlot(last.slots, tick, &last, &Recorder::onNone);
    tick.emit();
    EXPECT_EQ(saboteur.calls, 1);
    EXPECT_EQ(log, (std::vector<std::string>{"last"}));
    EXPECT_EQ(tick.connectionCount(), 2);
}

TEST(CSignal, HandlerDisconnectingTheLastSlotAheadEndsTheWalk)
{
    std::vector<std::string> log;
    CSignal<> tick;
    Saboteur saboteur;
    Recorder last(&log, "last");
    connectSlot(saboteur.slots, tick, &saboteur, &Saboteur::disconnectSlot);
    saboteur.target = connectSlot(last.slots, tick, &last, &Recorder::onNone)->value;
    tick.emit();
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(tick.connectionCount(), 1);
}

TEST(CSignal, HandlerMayDestroyTheEmitterItself)
{
    std::vector<std::string> log;
    Saboteur saboteur;
    Recorder after(&log, "after");
    saboteur.emitter = std::make_unique<CSignal<>>();
    connectSlot(saboteur.slots, *saboteur.emitter, &saboteur, &Saboteur::destroyEmitter);
    connectSlot(after.slots, *saboteur.emitter, &after, &Recorder::onNone);
    saboteur.emitter->emit();
    EXPECT_EQ(saboteur.calls, 1);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(after.slots.first()->value->connectionCount(), 0);
}

TEST(CSignal, HandlerMayDestroyItsOwnSlot)
{
    std::vector<std::string> log;
    CSignal<> tick;
    Saboteur saboteur;
    Recorder after(&log, "after");
    connectSlot(saboteur.slots, tick, &saboteur, &Saboteur::clearOwnSlots);
    connectSlot(after.slots, tick, &after, &Recorder::onNone);
    tick.emit();
    tick.emit();
    EXPECT_EQ(saboteur.calls, 1);
    EXPECT_EQ(log, (std::vector<std::string>{"after", "after"}));
}

TEST(CSignal, SlotConnectedDuringEmissionWaitsForTheNextOne)
{
    std::vector<std::string> log;
    CSignal<> tick;
    Saboteur saboteur;
    Recorder late(&log, "late");
    saboteur.late = &late;
    saboteur.signal = &tick;
    connectSlot(saboteur.slots, tick, &saboteur, &Saboteur::connectLate);
    tick.emit();
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(late.slots.count(), 1);
    saboteur.slots.clear();
    tick.emit();
    EXPECT_EQ(log, (std::vector<std::string>{"late"}));
}

TEST(CSignal, NestedEmissionOfTheSameSignal)
{
    std::vector<std::string> log;
    CSignal<> tick;
    Saboteur saboteur;
    saboteur.signal = &tick;
    Recorder after(&log, "after");
    connectSlot(saboteur.slots, tick, &saboteur, &Saboteur::reemit);
    connectSlot(after.slots, tick, &after, &Recorder::onNone);
    tick.emit();
    EXPECT_EQ(saboteur.calls, 3);
    EXPECT_EQ(log.size(), 3u);  // each of the three nested emissions reaches "after" once
}

namespace {

// Re-emits once, so that an inner emission runs inside the outer one.
struct Nester {
    void onTick()
    {
        if (!nested) {
            nested = true;
            signal->emit();
        }
    }
    void destroyVictim() { victim.reset(); }
    void replaceLast()
    {
        victim.reset();
        connectSlot(late->slots, *signal, late, &Recorder::onNone);
    }

    bool nested = false;
    CSignal<>* signal = nullptr;
    std::unique_ptr<Recorder> victim;
    Recorder* late = nullptr;
    CSlotList slots;
};

} // namespace

TEST(CSignal, RemovalInANestedEmissionAlsoMovesTheOuterWalk)
{
    // Outer walk: nester (starts the inner walk), victim, killer. The inner
    // walk calls the victim and then destroys it while the outer walk still
    // has the victim as its next step.
    std::vector<std::string> log;
    CSignal<> tick;
    Nester nester;
    nester.signal = &tick;
    nester.victim = std::make_unique<Recorder>(&log, "victim");
    connectSlot(nester.slots, tick, &nester, &Nester::onTick);
    connectSlot(nester.victim->slots, tick, nester.victim.get(), &Recorder::onNone);
    connectSlot(nester.slots, tick, &nester, &Nester::destroyVictim);
    tick.emit();
    EXPECT_EQ(log, (std::vector<std::string>{"victim"}));
    EXPECT_EQ(tick.connectionCount(), 2);
}

TEST(CSignal, RemovingTheLastSlotAndConnectingAnotherDuringEmission)
{
    std::vector<std::string> log;
    CSignal<> tick;
    Nester nester;
    Recorder late(&log, "late");
    nester.signal = &tick;
    nester.late = &late;
    nester.victim = std::make_unique<Recorder>(&log, "victim");
    connectSlot(nester.slots, tick, &nester, &Nester::replaceLast);
    connectSlot(nester.victim->slots, tick, nester.victim.get(), &Recorder::onNone);
    tick.emit();
    EXPECT_TRUE(log.empty());  // the victim is gone, the newcomer waits
    nester.slots.clear();
    tick.emit();
    EXPECT_EQ(log, (std::vector<std::string>{"late"}));
}

TEST(CSlotList, DestroyOneSlotAndFreeFunctions)
{
    std::vector<std::string> log;
    Recorder r(&log);
    CSignal<int> number;
    CSlotList::Node* first = connectSlot(r.slots, number, &r, &Recorder::onInt);
    connectSlot(r.slots, number, &r, &Recorder::onInt);
    CEventBase* slot = first->value;
    EXPECT_TRUE(r.slots.destroy(slot));
    EXPECT_FALSE(r.slots.destroy(slot));
    EXPECT_EQ(number.connectionCount(), 1);
    number.emit(4);
    EXPECT_EQ(log, (std::vector<std::string>{"r:4"}));

    // A slot with both a member and a free function calls the member one.
    freeCalls = 0;
    CSlot<Recorder, int> both;
    both.bind(&freeHandler);
    number.connect(both);
    number.emit(1);
    EXPECT_EQ(freeCalls, 1);
    both.bind(&r, &Recorder::onInt);
    number.emit(2);
    EXPECT_EQ(freeCalls, 1);
    EXPECT_EQ(log.back(), "r:2");
}
