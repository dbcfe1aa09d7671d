// Function descriptors, argument matching and the call trampoline.
// A binding is one row: def<&routine>(name, doc, params...); the C++ types of
// the parameters come from the routine itself.
#pragma once

#include "python/convert.hpp"

#include <cstddef>
#include <new>
#include <span>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <vector>

namespace vorn::py {

struct Param {
    const char* name;
    bool omittable = false;  // may be left out: the default applies
    bool nullable = false;   // None selects the default
    Default value{};

    Param(const char* n) : name(n) {}  // NOLINT: a bare name is a required parameter
    Param(const char* n, bool omit, bool null, Default d) : name(n), omittable(omit), nullable(null), value(d) {}
};

// Omittable, and None is converted like any other value.
inline Param opt(const char* name, Default d) { return {name, true, false, d}; }
// Required, but None selects the default.
inline Param nullable(const char* name, Default d) { return {name, false, true, d}; }
// Omittable, and None selects the default too.
inline Param opt_nullable(const char* name, Default d) { return {name, true, true, d}; }

// "sig" becomes the first line of the docstring, from which the interpreter
// derives __text_signature__.
std::string doc(const char* signature, const char* text);

struct Function;
using Invoke = PyObject* (*)(const Function& f, PyObject* self, PyObject* const* slots);

struct Function {
    const char* name;
    std::string docstring;
    std::vector<Param> params;
    Invoke invoke;
};

// Matches positional and keyword arguments onto slots[0..params) with
// CPython's wording for the errors; omitted parameters leave a null slot.
bool match_arguments(const Function& f, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames,
                     PyObject** slots);

// Match, convert and call: the common path of functions and methods.
PyObject* dispatch(const Function& f, PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames);

// Vectorcall entry point of every module function (self is the descriptor capsule).
PyObject* call_function(PyObject* capsule, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames);

// The registry the module consults at import, filled by each family's table.
void register_functions(std::span<const Function> rows);
const Function* find_function(const char* name);

struct Registrar {
    explicit Registrar(std::span<const Function> rows) { register_functions(rows); }
};

namespace detail {

template <class T> struct fn_traits;
template <class R, class... A> struct fn_traits<R (*)(A...)> {
    using result = R;
    using args = std::tuple<std::remove_cvref_t<A>...>;
};

template <class T> struct is_result : std::false_type {};
template <class T> struct is_result<Result<T>> : std::true_type {};

// Load one argument: the slot's object, or the default when omitted or
// (nullable) None. A TypeError is renamed after the parameter.
template <class L>
bool load_slot(L& loader, const Param& p, PyObject* obj) {
    if (!obj || (p.nullable && obj == Py_None)) {
        loader.set_default(p.value);
        return true;
    }
    if (loader.load(obj)) return true;
    rename_type_error(p.name);
    return false;
}

// One loader per routine argument, filled slot by slot; false at the first failure.
template <class Args> struct loaders_of;
template <class... A> struct loaders_of<std::tuple<A...>> {
    using type = std::tuple<Loader<A>...>;
};

template <class Loaders, std::size_t... I>
bool load_all(Loaders& loaders, const Function& f, PyObject* const* slots, std::index_sequence<I...>) {
    bool ok = true;
    ((ok = ok && load_slot(std::get<I>(loaders), f.params[I], slots[I])), ...);
    return ok;
}

template <class R>
PyObject* convert_result(R&& r) {
    if constexpr (is_result<std::remove_cvref_t<R>>::value) {
        if (!r) return raise(r.error());
        if constexpr (std::is_void_v<typename std::remove_cvref_t<R>::value_type>) Py_RETURN_NONE;
        else return to_py(*r);
    } else {
        return to_py(r);
    }
}

// No C++ exception may cross into the interpreter.
template <class F>
PyObject* guarded(F&& body) {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return PyErr_NoMemory();
    } catch (const std::length_error&) {  // a size no container can hold
        return PyErr_NoMemory();
    } catch (const std::exception& e) {
        PyErr_SetString(PyExc_SystemError, e.what());
        return nullptr;
    } catch (...) {
        PyErr_SetString(PyExc_SystemError, "unexpected native exception");
        return nullptr;
    }
}

template <auto F, std::size_t... I>
PyObject* invoke_impl(const Function& f, PyObject* const* slots, std::index_sequence<I...>) {
    using Args = typename fn_traits<decltype(F)>::args;
    return guarded([&]() -> PyObject* {
        typename loaders_of<Args>::type loaders;
        if (!load_all(loaders, f, slots, std::index_sequence<I...>{})) return nullptr;
        return convert_result(F(std::get<I>(loaders).get()...));
    });
}

template <auto F>
PyObject* invoke(const Function& f, PyObject*, PyObject* const* slots) {
    using Args = typename fn_traits<decltype(F)>::args;
    return invoke_impl<F>(f, slots, std::make_index_sequence<std::tuple_size_v<Args>>{});
}

}  // namespace detail

template <auto F, class... P>
Function def(const char* name, std::string docstring, P&&... params) {
    using Args = typename detail::fn_traits<decltype(F)>::args;
    static_assert(std::tuple_size_v<Args> == sizeof...(P), "one parameter description per routine argument");
    return Function{name, std::move(docstring), {Param(std::forward<P>(params))...}, &detail::invoke<F>};
}

}  // namespace vorn::py
