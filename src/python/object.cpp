#include "python/object.hpp"

#include <deque>
#include <string_view>
#include <unordered_map>

namespace vorn::py {

namespace {
std::unordered_map<std::string_view, const ClassDef*>& class_registry() {
    static std::unordered_map<std::string_view, const ClassDef*> map;
    return map;
}
}  // namespace

void register_classes(std::span<const ClassDef> rows) {
    for (const ClassDef& c : rows) class_registry().emplace(c.name, &c);
}

const ClassDef* find_class(const char* name) {
    auto it = class_registry().find(name);
    return it == class_registry().end() ? nullptr : it->second;
}

PyTypeObject* make_heap_type(const char* name, int basicsize, std::vector<PyType_Slot> slots) {
    // The name handed to CPython must outlive the type: keep it for the process.
    // A deque never moves its elements, so earlier names stay where they are.
    static auto* names = new std::deque<std::string>();
    names->push_back(std::string("vorn_library.") + name);
    slots.push_back({0, nullptr});
    PyType_Spec type_spec{names->back().c_str(), basicsize, 0, Py_TPFLAGS_DEFAULT, slots.data()};
    return reinterpret_cast<PyTypeObject*>(PyType_FromSpec(&type_spec));
}

bool match_tuple_dict(const Function& f, PyObject* args, PyObject* kwargs, PyObject** slots) {
    const Py_ssize_t nargs = PyTuple_GET_SIZE(args);
    const Py_ssize_t nkw = kwargs ? PyDict_GET_SIZE(kwargs) : 0;
    std::vector<PyObject*> flat(static_cast<std::size_t>(nargs + nkw));
    for (Py_ssize_t i = 0; i < nargs; ++i) flat[static_cast<std::size_t>(i)] = PyTuple_GET_ITEM(args, i);
    PyObject* kwnames = nullptr;
    if (nkw) {
        kwnames = PyTuple_New(nkw);
        if (!kwnames) return false;
        Py_ssize_t pos = 0, k = 0;
        PyObject *key, *value;
        while (PyDict_Next(kwargs, &pos, &key, &value)) {
            PyTuple_SET_ITEM(kwnames, k, Py_NewRef(key));
            flat[static_cast<std::size_t>(nargs + k)] = value;
            ++k;
        }
    }
    // The argument objects stay alive: the tuple and dict own them for the call.
    bool ok = match_arguments(f, flat.data(), nargs, kwnames, slots);
    Py_XDECREF(kwnames);
    return ok;
}

}  // namespace vorn::py
