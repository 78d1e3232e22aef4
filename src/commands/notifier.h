// Notifier<Args...>: announces a change to any number of subscribers. A
// subscription ends when its Subscription object is destroyed, so a part that
// goes away can never be called; either side may be destroyed first.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace tavrel {

template <typename... Args>
class Notifier {
    struct Entry {
        std::uint64_t id = 0;  // 0: unsubscribed, removed once no announcement runs
        std::function<void(Args...)> handler;
    };
    struct State {
        std::vector<Entry> entries;
        std::uint64_t nextId = 1;
        int announcing = 0;
        void prune() {
            if (announcing == 0) {
                std::erase_if(entries, [](const Entry& entry) { return entry.id == 0; });
            }
        }
    };

public:
    class [[nodiscard]] Subscription {
    public:
        Subscription() = default;
        Subscription(Subscription&& other) noexcept
            : state_(std::move(other.state_)), id_(std::exchange(other.id_, 0)) {}
        Subscription& operator=(Subscription&& other) noexcept {
            if (this != &other) {
                reset();
                state_ = std::move(other.state_);
                id_ = std::exchange(other.id_, 0);
            }
            return *this;
        }
        Subscription(const Subscription&) = delete;
        Subscription& operator=(const Subscription&) = delete;
        ~Subscription() { reset(); }

        void reset() {
            if (const std::shared_ptr<State> state = state_.lock()) {
                for (Entry& entry : state->entries) {
                    if (entry.id == id_) {
                        entry.id = 0;
                        entry.handler = nullptr;
                    }
                }
                state->prune();
            }
            state_.reset();
            id_ = 0;
        }

    private:
        friend class Notifier;
        Subscription(std::weak_ptr<State> state, std::uint64_t id)
            : state_(std::move(state)), id_(id) {}

        std::weak_ptr<State> state_;
        std::uint64_t id_ = 0;
    };

    Notifier() = default;
    Notifier(const Notifier&) = delete;
    Notifier& operator=(const Notifier&) = delete;

    Subscription subscribe(std::function<void(Args...)> handler) {
        const std::uint64_t id = state_->nextId++;
        state_->entries.push_back(Entry{id, std::move(handler)});
        return Subscription(state_, id);
    }

    // Calls the subscribers in the order they subscribed. A subscriber may
    // unsubscribe anyone, itself included, or destroy the notifier; one that
    // subscribes meanwhile hears the next announcement.
    void notify(Args... args) const {
        const std::shared_ptr<State> state = state_;
        struct Announcing {
            State& state;
            explicit Announcing(State& s) : state(s) { ++state.announcing; }
            ~Announcing() {
                --state.announcing;
                state.prune();
            }
        } announcing(*state);
        const std::size_t count = state->entries.size();
        for (std::size_t i = 0; i < count; ++i) {
            if (state->entries[i].id == 0) {
                continue;
            }
            // A copy: the handler may subscribe, which can move the entries.
            const std::function<void(Args...)> handler = state->entries[i].handler;
            handler(args...);
        }
    }

private:
    std::shared_ptr<State> state_ = std::make_shared<State>();
};

}  // namespace tavrel
