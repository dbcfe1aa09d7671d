// Conversion rules between Python objects and core values, in one place.
// Loaders leave the raw conversion error set and return false; the caller
// (the argument matcher) renames it after the parameter.
#pragma once

#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <type_traits>
#include <unordered_map>
#include <utility>
#include <variant>
#include <vector>

#include "errors.hpp"

namespace vorn::py {

// A parameter's default, kept in every form a loader may read it as.
struct Default {
    enum Tag : std::uint8_t { None, U64, I64, F64, Bool, Str } tag = None;
    std::uint64_t u = 0;
    std::int64_t i = 0;
    double d = 0;
    bool b = false;
    const char* s = "";

    Default() = default;
    Default(int v) : tag(I64), u(static_cast<std::uint64_t>(v)), i(v), d(v) {}
    Default(unsigned v) : tag(U64), u(v), i(v), d(v) {}
    Default(long v) : tag(I64), u(static_cast<std::uint64_t>(v)), i(v), d(static_cast<double>(v)) {}
    Default(unsigned long v) : tag(U64), u(v), i(static_cast<std::int64_t>(v)), d(static_cast<double>(v)) {}
    Default(double v) : tag(F64), d(v) {}
    Default(bool v) : tag(Bool), b(v) {}
    Default(const char* v) : tag(Str), s(v) {}
};

bool load_series(PyObject* obj, Series& out);
bool load_u64(PyObject* obj, std::uint64_t& out);
bool load_i64(PyObject* obj, std::int64_t& out);
bool load_f64(PyObject* obj, double& out);
bool load_flag(PyObject* obj, bool& out);
bool load_text(PyObject* obj, std::string& out);

template <class T> struct Loader;

template <> struct Loader<Series> {
    Series value;
    bool load(PyObject* o) { return load_series(o, value); }
    void set_default(const Default&) { value.clear(); }
    const Series& get() const { return value; }
};
template <> struct Loader<std::uint64_t> {
    std::uint64_t value = 0;
    bool load(PyObject* o) { return load_u64(o, value); }
    void set_default(const Default& d) { value = d.u; }
    std::uint64_t get() const { return value; }
};
template <> struct Loader<std::int64_t> {
    std::int64_t value = 0;
    bool load(PyObject* o) { return load_i64(o, value); }
    void set_default(const Default& d) { value = d.i; }
    std::int64_t get() const { return value; }
};
template <> struct Loader<double> {
    double value = 0;
    bool load(PyObject* o) { return load_f64(o, value); }
    void set_default(const Default& d) { value = d.d; }
    double get() const { return value; }
};
template <> struct Loader<bool> {
    bool value = false;
    bool load(PyObject* o) { return load_flag(o, value); }
    void set_default(const Default& d) { value = d.b; }
    bool get() const { return value; }
};
template <> struct Loader<std::string> {
    std::string value;
    bool load(PyObject* o) { return load_text(o, value); }
    void set_default(const Default& d) { value = d.s; }
    const std::string& get() const { return value; }
};

// A parameter whose default depends on other arguments: empty when omitted
// (or None, where nullable), for the routine to resolve.
template <class T> struct Loader<std::optional<T>> {
    Loader<T> inner;
    std::optional<T> value;
    bool load(PyObject* o) {
        if (!inner.load(o)) return false;
        value = inner.get();
        return true;
    }
    void set_default(const Default&) { value.reset(); }
    const std::optional<T>& get() const { return value; }
};

PyObject* to_py(const Series& v);
PyObject* to_py(double v);
PyObject* to_py(bool v);
PyObject* to_py(std::int64_t v);
PyObject* to_py(std::uint64_t v);
PyObject* to_py(int v);
PyObject* to_py(const std::string& v);
PyObject* to_py(const std::vector<std::int64_t>& v);
PyObject* to_py(std::monostate);

template <class T> PyObject* to_py(const std::optional<T>& v);
template <class... T> PyObject* to_py(const std::tuple<T...>& t);
template <class A, class B> PyObject* to_py(const std::pair<A, B>& p);
template <class T, std::size_t N> PyObject* to_py(const std::array<T, N>& a);
template <class V> PyObject* to_py(const std::map<std::string, V>& m);
template <class V> PyObject* to_py(const std::unordered_map<std::string, V>& m);
template <class V> PyObject* to_py(const std::vector<std::pair<std::string, V>>& m);

// A record whose fields() returns a tuple becomes a Python tuple in that order.
template <class T>
    requires requires(const T& t) { t.fields(); }
PyObject* to_py(const T& t) {
    return to_py(t.fields());
}

template <class T> PyObject* to_py(const std::optional<T>& v) {
    if (!v) Py_RETURN_NONE;
    return to_py(*v);
}

template <class... T> PyObject* to_py(const std::tuple<T...>& t) {
    PyObject* out = PyTuple_New(sizeof...(T));
    if (!out) return nullptr;
    bool ok = true;
    std::size_t i = 0;
    std::apply(
        [&](const auto&... item) {
            ((ok = ok && [&] {
                  PyObject* o = to_py(item);
                  if (!o) return false;
                  PyTuple_SET_ITEM(out, i++, o);
                  return true;
              }()),
             ...);
        },
        t);
    if (!ok) {
        Py_DECREF(out);
        return nullptr;
    }
    return out;
}

template <class A, class B> PyObject* to_py(const std::pair<A, B>& p) {
    return to_py(std::tie(p.first, p.second));
}

template <class T, std::size_t N> PyObject* to_py(const std::array<T, N>& a) {
    PyObject* out = PyTuple_New(N);
    if (!out) return nullptr;
    for (std::size_t i = 0; i < N; ++i) {
        PyObject* o = to_py(a[i]);
        if (!o) {
            Py_DECREF(out);
            return nullptr;
        }
        PyTuple_SET_ITEM(out, i, o);
    }
    return out;
}

template <class Map> PyObject* map_to_py(const Map& m) {
    PyObject* out = PyDict_New();
    if (!out) return nullptr;
    for (const auto& [k, v] : m) {
        PyObject* key = to_py(k);
        PyObject* val = key ? to_py(v) : nullptr;
        if (!val || PyDict_SetItem(out, key, val) < 0) {
            Py_XDECREF(key);
            Py_XDECREF(val);
            Py_DECREF(out);
            return nullptr;
        }
        Py_DECREF(key);
        Py_DECREF(val);
    }
    return out;
}
template <class V> PyObject* to_py(const std::map<std::string, V>& m) { return map_to_py(m); }
template <class V> PyObject* to_py(const std::unordered_map<std::string, V>& m) { return map_to_py(m); }
template <class V> PyObject* to_py(const std::vector<std::pair<std::string, V>>& m) { return map_to_py(m); }

// A VornError is raised as exactly ValueError(message).
PyObject* raise(const VornError& e);

// Replace a pending TypeError by "argument 'name': <message>" with the
// original as its cause; other exception types pass through unchanged.
void rename_type_error(const char* param);

}  // namespace vorn::py
