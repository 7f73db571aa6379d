#pragma once

#include <boost/thread/condition_variable.hpp>
#include <boost/thread/locks.hpp>
#include <boost/thread/mutex.hpp>
#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>

// Element policy of mth_list: the list owns what its pointers point to, anything else needs
// nothing.
template <class T>
struct _def_elem_destructor {
    void operator()(T&) const noexcept {}
};
template <class T>
struct _def_elem_destructor<T*> {
    void operator()(T*& element) const noexcept {
        const std::unique_ptr<T> owned(element);
        element = nullptr;
    }
};

// The lock and the waiting logic of a bounded first-in first-out container; the storage itself
// is left to the primitives a derived class supplies. Primitives run with the lock held.
// Waiting uses boost::condition_variable::wait, an interruption point: a waiting put or get
// ends with boost::thread_interrupted, and the lock is released on the way out.
template <class Container, class Elem>
class mth_elem_cntr {
public:
    static constexpr std::uint32_t kDefaultCapacity = 32768;

    explicit mth_elem_cntr(std::uint32_t capacity = kDefaultCapacity) : capacity(capacity) {}
    virtual ~mth_elem_cntr() = default;

    mth_elem_cntr(const mth_elem_cntr&) = delete;
    mth_elem_cntr& operator=(const mth_elem_cntr&) = delete;

    // Appends one element; when full, false at once or, with `wait`, waits for room.
    virtual bool put(Elem element, bool wait) {
        boost::unique_lock<boost::mutex> guard(lock);
        while (full()) {
            if (!wait) return false;
            notFull.wait(guard);
        }
        const bool wasEmpty = empty();
        do_put(element);
        guard.unlock();
        if (wasEmpty) notEmpty.notify_one();
        return true;
    }

protected:
    virtual bool full() const { return container().size() >= capacity; }
    virtual bool empty() const { return container().size() == 0; }
    virtual bool do_put(const Elem&) { return false; }

public:
    // Appends all of `source` in order, as much as fits per pass. Without `wait`, a pass that
    // cannot take the rest appends nothing and ends with false; earlier passes stay appended.
    virtual bool put_list(const Container& source, bool wait) {
        boost::unique_lock<boost::mutex> guard(lock);
        std::size_t remaining = source.size();
        auto next = source.begin();
        while (remaining != 0) {
            std::size_t count = remaining;
            const bool tooShort = fit_count(count);
            if (tooShort && !wait) return false;
            const bool wasEmpty = empty_before_append();
            const std::size_t before = container().size();
            for (std::size_t i = 0; i < count; ++i, ++next) do_put(*next);
            // The consumer has to hear of this pass before this thread waits for room.
            if (wasEmpty && container().size() > before) notEmpty.notify_one();
            if (tooShort) notFull.wait(guard);
            remaining -= count;
        }
        return true;
    }

protected:
    // True when fewer than `count` fit; `count` is then lowered to the room left.
    virtual bool fit_count(std::size_t& count) const {
        const std::size_t size = container().size();
        const std::size_t room = size >= capacity ? 0 : capacity - size;
        if (room >= count) return false;
        count = room;
        return true;
    }
    virtual bool empty_before_append() const { return container().size() == 0; }

public:
    // Removes every occurrence of `element`; false when the list was empty. The caller keeps
    // whatever `element` points to.
    virtual bool remove(const Elem& element) {
        boost::unique_lock<boost::mutex> guard(lock);
        if (empty_before_take()) return false;
        const bool wasFull = full_before_take();
        do_remove(element);
        guard.unlock();
        if (wasFull) notFull.notify_one();
        return true;
    }

    // Takes the front element; when empty, false at once (`out` untouched) or, with `wait`,
    // waits for one.
    virtual bool get(Elem& out, bool wait) {
        boost::unique_lock<boost::mutex> guard(lock);
        while (empty_before_take()) {
            if (!wait) return false;
            notEmpty.wait(guard);
        }
        const bool wasFull = full_before_take();
        do_get(out);
        guard.unlock();
        if (wasFull) notFull.notify_one();
        return true;
    }

protected:
    virtual bool empty_before_take() const { return container().size() == 0; }
    virtual bool full_before_take() const { return container().size() >= capacity; }
    virtual bool do_remove(const Elem&) { return false; }
    virtual bool do_get(Elem&) { return false; }
    virtual bool do_clear() { return false; }
    virtual Container& container() = 0;
    virtual const Container& container() const = 0;
    virtual void erase(typename Container::iterator&) {}

public:
    // Empties the list; false when it was empty already.
    virtual bool clear() {
        boost::unique_lock<boost::mutex> guard(lock);
        if (empty_before_take()) return false;
        const bool wasFull = full_before_take();
        do_clear();
        guard.unlock();
        if (wasFull) notFull.notify_all();
        return true;
    }

    std::uint32_t Capacity() const { return capacity; }

protected:
    boost::mutex lock;
    boost::condition_variable notFull;
    boost::condition_variable notEmpty;
    const std::uint32_t capacity;
};

// The shared point list: a doubly linked list of elements behind mth_elem_cntr's lock.
// Elements still held when the list is cleared or destroyed have no other owner (they are in
// transit between the walk and the window), so both hand them to `Destructor`; remove and get
// give up the list's slot only.
template <class Elem, class Destructor = _def_elem_destructor<Elem>,
          class Alloc = std::allocator<Elem>>
class mth_list : public mth_elem_cntr<std::list<Elem, Alloc>, Elem> {
public:
    using container_type = std::list<Elem, Alloc>;

    explicit mth_list(
        std::uint32_t capacity = mth_elem_cntr<container_type, Elem>::kDefaultCapacity)
        : mth_elem_cntr<container_type, Elem>(capacity) {}
    ~mth_list() override { destroy_all(); }

protected:
    bool do_put(const Elem& element) override {
        items.push_back(element);
        return true;
    }
    bool do_remove(const Elem& element) override {
        for (auto it = items.begin(); it != items.end();) {
            if (*it == element) {
                erase(it);
            } else {
                ++it;
            }
        }
        return true;
    }
    bool do_get(Elem& out) override {
        out = items.front();
        items.pop_front();
        return true;
    }
    bool do_clear() override {
        destroy_all();
        return true;
    }
    container_type& container() override { return items; }
    const container_type& container() const override { return items; }
    void erase(typename container_type::iterator& it) override { it = items.erase(it); }

private:
    void destroy_all() {
        Destructor destroy;
        for (Elem& element : items) destroy(element);
        items.clear();
    }

    container_type items;
};
