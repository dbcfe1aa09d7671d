// Python classes over C++ values: heap types from PyType_FromSpec, one
// instance holding its value and a borrow flag. Methods that change the value
// take exclusive access, queries shared access; a clash raises RuntimeError
// instead of interleaving (conversion of arguments can call back into Python).
#pragma once

#include "python/call.hpp"

#include <array>
#include <mutex>

namespace vorn::py {

template <class T>
struct Instance {
    PyObject_HEAD
    int borrow;  // 0 free, > 0 shared borrows, -1 exclusive
    bool constructed;
    T value;
};

class BorrowGuard {
public:
    BorrowGuard(int& flag, bool exclusive) : flag_(flag), exclusive_(exclusive) {}
    bool acquire() {
        if (exclusive_ ? flag_ != 0 : flag_ < 0) {
            PyErr_SetString(PyExc_RuntimeError,
                            exclusive_ ? "object is already borrowed" : "object is already mutably borrowed");
            return false;
        }
        if (exclusive_) flag_ = -1;
        else ++flag_;
        held_ = true;
        return true;
    }
    ~BorrowGuard() {
        if (!held_) return;
        if (exclusive_) flag_ = 0;
        else --flag_;
    }
    BorrowGuard(const BorrowGuard&) = delete;
    BorrowGuard& operator=(const BorrowGuard&) = delete;

private:
    int& flag_;
    bool exclusive_;
    bool held_ = false;
};

struct ClassDef {
    const char* name;
    PyTypeObject* (*type)();
};

void register_classes(std::span<const ClassDef> rows);
const ClassDef* find_class(const char* name);

struct ClassRegistrar {
    explicit ClassRegistrar(std::span<const ClassDef> rows) { register_classes(rows); }
};

// Build a PyType from slots; the name is qualified with the module.
PyTypeObject* make_heap_type(const char* name, int basicsize, std::vector<PyType_Slot> slots);

// Convert a tuple/dict call into the vectorcall layout the matcher reads.
bool match_tuple_dict(const Function& f, PyObject* args, PyObject* kwargs, PyObject** slots);

template <class T>
struct ClassInfo {
    const char* name;
    std::string docstring;  // first line: the constructor signature
    Function ctor;          // constructs the value into the new instance
    std::vector<Function> methods;
    std::vector<PyGetSetDef> properties;
    std::string (*repr)(const T&) = nullptr;
};

namespace detail {

template <class T> struct method_traits;
template <class R, class S, class... A> struct method_traits<R (*)(S, A...)> {
    using self = std::remove_reference_t<S>;
    static constexpr bool exclusive = !std::is_const_v<self>;
    using args = std::tuple<std::remove_cvref_t<A>...>;
};

template <auto F, std::size_t... I>
PyObject* invoke_method_impl(const Function& f, PyObject* self, PyObject* const* slots, std::index_sequence<I...>) {
    using Tr = method_traits<decltype(F)>;
    using T = std::remove_const_t<typename Tr::self>;
    using Args = typename Tr::args;
    auto* inst = reinterpret_cast<Instance<T>*>(self);
    // Take the borrow before converting: an argument's conversion may call back into this object.
    BorrowGuard guard(inst->borrow, Tr::exclusive);
    if (!guard.acquire()) return nullptr;
    return guarded([&]() -> PyObject* {
        typename loaders_of<Args>::type loaders;
        if (!load_all(loaders, f, slots, std::index_sequence<I...>{})) return nullptr;
        if constexpr (std::is_void_v<decltype(F(inst->value, std::get<I>(loaders).get()...))>) {
            F(inst->value, std::get<I>(loaders).get()...);
            Py_RETURN_NONE;
        } else {
            return convert_result(F(inst->value, std::get<I>(loaders).get()...));
        }
    });
}

template <auto F>
PyObject* invoke_method(const Function& f, PyObject* self, PyObject* const* slots) {
    using Args = typename method_traits<decltype(F)>::args;
    return invoke_method_impl<F>(f, self, slots, std::make_index_sequence<std::tuple_size_v<Args>>{});
}

template <auto F, std::size_t... I>
PyObject* invoke_ctor_impl(const Function& f, PyObject* self, PyObject* const* slots, std::index_sequence<I...>) {
    using Args = typename fn_traits<decltype(F)>::args;
    return guarded([&]() -> PyObject* {
        typename loaders_of<Args>::type loaders;
        if (!load_all(loaders, f, slots, std::index_sequence<I...>{})) return nullptr;
        auto made = F(std::get<I>(loaders).get()...);
        using R = std::remove_cvref_t<decltype(made)>;
        if constexpr (is_result<R>::value) {
            if (!made) return raise(made.error());
            using T = typename R::value_type;
            auto* inst = reinterpret_cast<Instance<T>*>(self);
            new (&inst->value) T(std::move(*made));
            inst->constructed = true;
        } else {
            auto* inst = reinterpret_cast<Instance<R>*>(self);
            new (&inst->value) R(std::move(made));
            inst->constructed = true;
        }
        return self;
    });
}

template <auto F>
PyObject* invoke_ctor(const Function& f, PyObject* self, PyObject* const* slots) {
    using Args = typename fn_traits<decltype(F)>::args;
    return invoke_ctor_impl<F>(f, self, slots, std::make_index_sequence<std::tuple_size_v<Args>>{});
}

template <class Tag, std::size_t I>
PyObject* method_entry(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    return dispatch(Tag::info().methods[I], self, args, nargs, kwnames);
}

constexpr std::size_t kMaxMethods = 32;

template <class Tag, std::size_t... I>
constexpr auto method_entries(std::index_sequence<I...>) {
    return std::array<_PyCFunctionFastWithKeywords, sizeof...(I)>{&method_entry<Tag, I>...};
}

template <class T>
void dealloc(PyObject* self) {
    auto* inst = reinterpret_cast<Instance<T>*>(self);
    if (inst->constructed) inst->value.~T();
    PyTypeObject* tp = Py_TYPE(self);
    tp->tp_free(self);
    Py_DECREF(tp);
}

template <class Tag>
PyObject* tp_new(PyTypeObject* type, PyObject* args, PyObject* kwargs) {
    using T = typename Tag::value_type;
    const Function& ctor = Tag::info().ctor;
    std::vector<PyObject*> slots(ctor.params.size());
    if (!match_tuple_dict(ctor, args, kwargs, slots.data())) return nullptr;
    PyObject* self = type->tp_alloc(type, 0);
    if (!self) return nullptr;
    auto* inst = reinterpret_cast<Instance<T>*>(self);
    inst->borrow = 0;
    inst->constructed = false;
    if (!ctor.invoke(ctor, self, slots.data())) {
        Py_DECREF(self);
        return nullptr;
    }
    return self;
}

template <class Tag>
PyObject* tp_repr(PyObject* self) {
    using T = typename Tag::value_type;
    auto* inst = reinterpret_cast<Instance<T>*>(self);
    BorrowGuard guard(inst->borrow, false);
    if (!guard.acquire()) return nullptr;
    return guarded([&] { return to_py(Tag::info().repr(inst->value)); });
}

}  // namespace detail

template <class M> struct member_class;
template <class C, class F> struct member_class<F C::*> {
    using type = C;
    using field = F;
};

template <auto F, class... P>
Function ctor(P&&... params) {
    return Function{"__new__", {}, {Param(std::forward<P>(params))...}, &detail::invoke_ctor<F>};
}

template <auto F, class... P>
Function method(const char* name, std::string docstring, P&&... params) {
    using Args = typename detail::method_traits<decltype(F)>::args;
    static_assert(std::tuple_size_v<Args> == sizeof...(P), "one parameter description per method argument");
    return Function{name, std::move(docstring), {Param(std::forward<P>(params))...}, &detail::invoke_method<F>};
}

// Read access to a value's field or derived quantity: a shared borrow.
template <auto Get>
PyObject* getter(PyObject* self, void*) {
    using Tr = detail::method_traits<decltype(Get)>;
    using T = std::remove_const_t<typename Tr::self>;
    auto* inst = reinterpret_cast<Instance<T>*>(self);
    BorrowGuard guard(inst->borrow, false);
    if (!guard.acquire()) return nullptr;
    return detail::guarded([&] { return to_py(Get(inst->value)); });
}

// Assignment converts like the constructor; a TypeError names the attribute.
template <auto Member>
int member_setter(PyObject* self, PyObject* value, void* closure) {
    using Field = typename member_class<decltype(Member)>::field;
    using T = typename member_class<decltype(Member)>::type;
    const char* name = static_cast<const char*>(closure);
    if (!value) {
        PyErr_Format(PyExc_AttributeError, "cannot delete attribute '%s'", name);
        return -1;
    }
    auto* inst = reinterpret_cast<Instance<T>*>(self);
    BorrowGuard guard(inst->borrow, true);
    if (!guard.acquire()) return -1;
    Loader<Field> loader;
    if (!loader.load(value)) {
        rename_type_error(name);
        return -1;
    }
    inst->value.*Member = loader.get();
    return 0;
}

template <auto Member>
PyObject* member_getter(PyObject* self, void*) {
    using T = typename member_class<decltype(Member)>::type;
    auto* inst = reinterpret_cast<Instance<T>*>(self);
    BorrowGuard guard(inst->borrow, false);
    if (!guard.acquire()) return nullptr;
    return detail::guarded([&] { return to_py(inst->value.*Member); });
}

template <auto Get>
PyGetSetDef readonly(const char* name, const char* docstring = nullptr) {
    return {name, &getter<Get>, nullptr, docstring, nullptr};
}

template <auto Member>
PyGetSetDef readonly_member(const char* name, const char* docstring = nullptr) {
    return {name, &member_getter<Member>, nullptr, docstring, nullptr};
}

template <auto Member>
PyGetSetDef readwrite_member(const char* name, const char* docstring = nullptr) {
    return {name, &member_getter<Member>, &member_setter<Member>, docstring, const_cast<char*>(name)};
}

// The type object of a class, created on first use and kept for the process.
template <class Tag>
PyTypeObject* class_type() {
    static PyTypeObject* type = nullptr;
    if (type) return type;
    using T = typename Tag::value_type;
    const ClassInfo<T>& info = Tag::info();
    static std::vector<PyMethodDef> methods;
    static std::vector<PyGetSetDef> props;
    static constexpr auto entries = detail::method_entries<Tag>(std::make_index_sequence<detail::kMaxMethods>{});
    if (info.methods.size() > detail::kMaxMethods) {
        PyErr_SetString(PyExc_SystemError, "too many methods for one class");
        return nullptr;
    }
    methods.clear();
    for (std::size_t i = 0; i < info.methods.size(); ++i)
        methods.push_back({info.methods[i].name, reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(entries[i])),
                           METH_FASTCALL | METH_KEYWORDS, info.methods[i].docstring.c_str()});
    methods.push_back({nullptr, nullptr, 0, nullptr});
    props = info.properties;
    props.push_back({nullptr, nullptr, nullptr, nullptr, nullptr});
    std::vector<PyType_Slot> slots = {
        {Py_tp_new, reinterpret_cast<void*>(&detail::tp_new<Tag>)},
        {Py_tp_dealloc, reinterpret_cast<void*>(&detail::dealloc<T>)},
        {Py_tp_doc, const_cast<char*>(info.docstring.c_str())},
        {Py_tp_methods, methods.data()},
        {Py_tp_getset, props.data()},
    };
    if (info.repr) slots.push_back({Py_tp_repr, reinterpret_cast<void*>(&detail::tp_repr<Tag>)});
    type = make_heap_type(info.name, static_cast<int>(sizeof(Instance<T>)), std::move(slots));
    return type;
}

}  // namespace vorn::py
