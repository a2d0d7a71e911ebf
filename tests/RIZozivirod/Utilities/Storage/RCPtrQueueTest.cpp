#include "RIZozivirod/Utilities/Storage/RCPtrQueue.h"

#include <gtest/gtest.h>

#include <deque>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace QV {
namespace {

class Item : public LRefCountedObject {
public:
    static RCPtr<Item> Create(int id, int producer = 0) { return RCPtr<Item>(new Item(id, producer)); }
    int id;
    int producer;

private:
    Item(int i, int p) : id(i), producer(p) {}
};

using Queue = RCPtrQueue<Item, 256>;

// Enqueues items first..last-1 and returns them.
std::vector<RCPtr<Item>> Fill(Queue& queue, int first, int last) {
    std::vector<RCPtr<Item>> items;
    for (int i = first; i < last; ++i) {
        items.push_back(Item::Create(i));
        EXPECT_EQ(queue.Enqueue(items.back()), 0);
    }
    return items;
}

void ExpectDrainedInOrder(Queue& queue, int first, int last) {
    for (int i = first; i < last; ++i) {
        RCPtr<Item> item = queue.Dequeue();
        ASSERT_TRUE(item);
        EXPECT_EQ(item->id, i);
    }
    EXPECT_EQ(queue.GetQueuedCount(), 0u);
}

TEST(RCPtrQueue, HoldsOneItemLessThanItsSlotsThenGrowsByOne) {
    Queue queue(nullptr, 256);
    Fill(queue, 0, 255);
    EXPECT_EQ(queue.GetSlotCount(), 256u);
    EXPECT_EQ(queue.GetQueuedCount(), 255u);
    Fill(queue, 255, 256);
    EXPECT_EQ(queue.GetSlotCount(), 257u);
    EXPECT_EQ(queue.GetQueuedCount(), 256u);
    ExpectDrainedInOrder(queue, 0, 256);
}

TEST(RCPtrQueue, FullRingsGrowKeepingTheOrder) {
    struct Case {
        const char* name;
        int drainedFirst;  // items queued and taken before filling, to move the read index
    };
    for (const Case& c : {Case{"not wrapped (read 0, write s-1)", 0}, Case{"wrapped (read 10, write 9)", 10},
                          Case{"wrapped (read 15, write 14)", 15}}) {
        SCOPED_TRACE(c.name);
        Queue queue(nullptr, 16);
        Fill(queue, -c.drainedFirst, 0);
        ExpectDrainedInOrder(queue, -c.drainedFirst, 0);
        Fill(queue, 0, 15);
        ASSERT_EQ(queue.GetSlotCount(), 16u);
        Fill(queue, 15, 17);
        EXPECT_EQ(queue.GetSlotCount(), 18u);
        ExpectDrainedInOrder(queue, 0, 17);
        // The grown ring keeps working across further wraps.
        for (int round = 0; round < 5; ++round) {
            Fill(queue, 0, 13);
            ExpectDrainedInOrder(queue, 0, 13);
        }
        EXPECT_EQ(queue.GetSlotCount(), 18u);
    }
}

TEST(RCPtrQueue, RingWithoutSlotsGetsTwoOnTheFirstItem) {
    Queue queue(nullptr, 0);
    EXPECT_EQ(queue.GetQueuedCount(), 0u);
    Fill(queue, 0, 1);
    EXPECT_EQ(queue.GetSlotCount(), 2u);
    Fill(queue, 1, 2);
    EXPECT_EQ(queue.GetSlotCount(), 3u);
    ExpectDrainedInOrder(queue, 0, 2);
}

TEST(RCPtrQueue, MatchesAFifoModelOverRandomUse) {
    std::mt19937 random(5);
    Queue queue(nullptr, 4);
    std::deque<int> model;
    uint32_t slots = queue.GetSlotCount();
    int next = 0;
    for (int step = 0; step < 5000; ++step) {
        if (model.empty() || random() % 100 < 55) {
            const bool full = model.size() == slots - 1;
            queue.Enqueue(Item::Create(next));
            model.push_back(next++);
            EXPECT_EQ(queue.GetSlotCount(), full ? slots + 1 : slots);
            slots = queue.GetSlotCount();
        } else {
            ASSERT_EQ(queue.Dequeue()->id, model.front());
            model.pop_front();
        }
        ASSERT_EQ(queue.GetQueuedCount(), model.size());
    }
}

TEST(RCPtrQueue, DequeueOfAnEmptyQueueThrowsAndLeavesItUsable) {
    Queue queue(nullptr, 256);
    for (int round = 0; round < 2; ++round) {
        try {
            queue.Dequeue();
            FAIL() << "no exception";
        } catch (const Exception<std::runtime_error>& e) {
            const std::string text = e.what();
            EXPECT_EQ(text.rfind("Runtime Error : QV::RCPtrQueue<QV::{anonymous}::Item, 256>::Dequeue : "
                                 "RIZozivirod/Utilities/Storage/RCPtrQueue.h : Line ",
                                 0),
                      0u)
                << text;
        }
        EXPECT_EQ(queue.GetQueuedCount(), 0u);
        Fill(queue, 0, 1);
        ExpectDrainedInOrder(queue, 0, 1);
    }
}

TEST(RCPtrQueue, HoldsOneReferencePerQueuedItemAndQueuesNull) {
    Mutex lock;
    RCPtrQueue<Item, 256> queue(&lock, 256);
    RCPtr<Item> item = Item::Create(1);
    queue.Enqueue(item);
    queue.Enqueue(nullptr);
    EXPECT_EQ(item->GetRefCount(), 2);
    EXPECT_EQ(queue.GetQueuedCount(), 2u);
    {
        RCPtr<Item> out = queue.Dequeue();
        EXPECT_EQ(out, item);
        EXPECT_EQ(item->GetRefCount(), 2);
    }
    EXPECT_EQ(item->GetRefCount(), 1);
    EXPECT_FALSE(queue.Dequeue());
    queue.Enqueue(item);
    {
        RCPtrQueue<Item, 256> dropped(nullptr, 4);
        dropped.Enqueue(item);
        EXPECT_EQ(item->GetRefCount(), 3);
    }
    EXPECT_EQ(item->GetRefCount(), 2);
}

TEST(RCPtrQueue, SeveralProducersOneConsumerKeepEachProducersOrder) {
    constexpr int kProducers = 4;
    constexpr int kItems = 3000;
    Mutex lock;
    RCPtrQueue<Item, 256> queue(&lock, 2);
    std::vector<std::thread> producers;
    for (int p = 0; p < kProducers; ++p) {
        producers.emplace_back([&, p] {
            for (int i = 0; i < kItems; ++i) {
                queue.Enqueue(Item::Create(i, p));
            }
        });
    }
    std::vector<int> next(kProducers, 0);
    int received = 0;
    int outOfOrder = 0;
    while (received < kProducers * kItems) {
        if (queue.GetQueuedCount() == 0) {
            std::this_thread::yield();
            continue;
        }
        RCPtr<Item> item = queue.Dequeue();
        outOfOrder += item->id != next[item->producer];
        next[item->producer] = item->id + 1;
        ++received;
    }
    for (auto& producer : producers) {
        producer.join();
    }
    EXPECT_EQ(outOfOrder, 0);
    EXPECT_EQ(queue.GetQueuedCount(), 0u);
}

}  // namespace
}  // namespace QV
