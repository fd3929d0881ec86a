// The vertices of a drawing element. Most elements of a real drawing are lines of two points, and a
// drawing holds a million of them, so up to two points live inside the element itself and only
// longer polylines take memory of their own.
#pragma once

#include "common/Point.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <new>
#include <stdexcept>
#include <type_traits>
#include <vector>

namespace velrok::host {

class PointList {
  public:
    using value_type = Point3d;
    using size_type = size_t;
    using iterator = Point3d*;
    using const_iterator = const Point3d*;
    using reference = Point3d&;
    using const_reference = const Point3d&;

    static constexpr uint32_t kInline = 2;

    PointList() = default;
    PointList(std::initializer_list<Point3d> points) { Assign(points.begin(), points.size()); }
    PointList(const std::vector<Point3d>& points) { Assign(points.data(), points.size()); }
    PointList(size_t count, Point3d value = {}) { resize(count, value); }
    template <class It, class = std::enable_if_t<!std::is_integral_v<It>>>
    PointList(It first, It last)
    {
        for (; first != last; ++first)
            push_back(*first);
    }
    PointList(const PointList& other) { Assign(other.data(), other.size()); }
    PointList(PointList&& other) noexcept { Take(other); }
    ~PointList() { Release(); }

    PointList& operator=(const PointList& other)
    {
        if (this != &other) {
            clear();
            Assign(other.data(), other.size());
        }
        return *this;
    }
    PointList& operator=(PointList&& other) noexcept
    {
        if (this != &other) {
            Release();
            Take(other);
        }
        return *this;
    }
    PointList& operator=(const std::vector<Point3d>& points)
    {
        clear();
        Assign(points.data(), points.size());
        return *this;
    }
    PointList& operator=(std::initializer_list<Point3d> points)
    {
        clear();
        Assign(points.begin(), points.size());
        return *this;
    }

    operator std::vector<Point3d>() const { return {begin(), end()}; }

    size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    size_t capacity() const { return m_capacity; }
    Point3d* data() { return OnHeap() ? Heap() : Inline(); }
    const Point3d* data() const { return OnHeap() ? Heap() : Inline(); }
    Point3d* begin() { return data(); }
    Point3d* end() { return data() + m_size; }
    const Point3d* begin() const { return data(); }
    const Point3d* end() const { return data() + m_size; }
    Point3d& operator[](size_t i) { return data()[i]; }
    const Point3d& operator[](size_t i) const { return data()[i]; }
    Point3d& at(size_t i)
    {
        if (i >= m_size)
            throw std::out_of_range("PointList::at");
        return data()[i];
    }
    const Point3d& at(size_t i) const { return const_cast<PointList*>(this)->at(i); }
    Point3d& front() { return data()[0]; }
    Point3d& back() { return data()[m_size - 1]; }
    const Point3d& front() const { return data()[0]; }
    const Point3d& back() const { return data()[m_size - 1]; }

    void reserve(size_t count)
    {
        if (count <= m_capacity)
            return;
        if (count > UINT32_MAX)
            throw std::length_error("PointList: too many points");
        auto* fresh = static_cast<Point3d*>(::operator new(count * sizeof(Point3d)));
        std::memcpy(static_cast<void*>(fresh), data(), m_size * sizeof(Point3d));
        if (OnHeap())
            ::operator delete(Heap());
        std::memcpy(m_storage, &fresh, sizeof fresh);
        m_capacity = static_cast<uint32_t>(count);
    }
    void push_back(Point3d p)
    {
        if (m_size == m_capacity)
            reserve(std::max<size_t>(4, 2 * static_cast<size_t>(m_capacity)));
        data()[m_size++] = p;
    }
    template <class... A> Point3d& emplace_back(A&&... args)
    {
        push_back(Point3d{std::forward<A>(args)...});
        return back();
    }
    void pop_back() { --m_size; }
    void resize(size_t count, Point3d value = {})
    {
        reserve(count);
        for (size_t i = m_size; i < count; ++i)
            data()[i] = value;
        m_size = static_cast<uint32_t>(count);
    }
    void clear() { m_size = 0; }
    Point3d* insert(const Point3d* at, Point3d p)
    {
        const size_t i = static_cast<size_t>(at - data());
        push_back(p);
        std::rotate(begin() + i, end() - 1, end());
        return begin() + i;
    }
    template <class It, class = std::enable_if_t<!std::is_integral_v<It>>>
    Point3d* insert(const Point3d* at, It first, It last)
    {
        const size_t i = static_cast<size_t>(at - data());
        const size_t before = m_size;
        for (; first != last; ++first)
            push_back(*first);
        std::rotate(begin() + i, begin() + before, end());
        return begin() + i;
    }
    Point3d* erase(const Point3d* first, const Point3d* last)
    {
        Point3d* f = begin() + (first - data());
        Point3d* l = begin() + (last - data());
        Point3d* tail = std::move(l, end(), f);
        m_size = static_cast<uint32_t>(tail - begin());
        return f;
    }
    Point3d* erase(const Point3d* at) { return erase(at, at + 1); }

    friend bool operator==(const PointList& a, const PointList& b)
    {
        return std::equal(a.begin(), a.end(), b.begin(), b.end());
    }
    friend bool operator==(const PointList& a, const std::vector<Point3d>& b)
    {
        return std::equal(a.begin(), a.end(), b.begin(), b.end());
    }

  private:
    static_assert(std::is_trivially_copyable_v<Point3d>);
    bool OnHeap() const { return m_capacity > kInline; }
    Point3d* Inline() { return std::launder(reinterpret_cast<Point3d*>(m_storage)); }
    const Point3d* Inline() const { return std::launder(reinterpret_cast<const Point3d*>(m_storage)); }
    Point3d* Heap() const
    {
        Point3d* p;
        std::memcpy(&p, m_storage, sizeof p);
        return p;
    }
    void Assign(const Point3d* points, size_t count)
    {
        if (count == 0)
            return; // an empty vector's data() may be null, which memcpy must not be given
        reserve(count);
        std::memcpy(static_cast<void*>(data()), points, count * sizeof(Point3d));
        m_size = static_cast<uint32_t>(count);
    }
    void Take(PointList& other) noexcept
    {
        std::memcpy(m_storage, other.m_storage, sizeof m_storage);
        m_size = other.m_size;
        m_capacity = other.m_capacity;
        other.m_size = 0;
        other.m_capacity = kInline;
    }
    void Release()
    {
        if (OnHeap())
            ::operator delete(Heap());
        m_size = 0;
        m_capacity = kInline;
    }

    alignas(Point3d) unsigned char m_storage[kInline * sizeof(Point3d)]{};
    uint32_t m_size = 0;
    uint32_t m_capacity = kInline;
};

} // namespace velrok::host
