#include "python/call.hpp"

#include <cstring>
#include <string_view>
#include <unordered_map>

namespace vorn::py {

std::string doc(const char* signature, const char* text) {
    std::string out(signature);
    out += "\n--\n\n";
    out += text;
    return out;
}

namespace {

std::unordered_map<std::string_view, const Function*>& registry() {
    static std::unordered_map<std::string_view, const Function*> map;
    return map;
}

std::size_t required_count(const Function& f) {
    std::size_t n = 0;
    for (const Param& p : f.params)
        if (!p.omittable) ++n;
    return n;
}

void too_many_positional(const Function& f, Py_ssize_t given) {
    const std::size_t max = f.params.size();
    const std::size_t min = required_count(f);
    if (min == max)
        PyErr_Format(PyExc_TypeError, "%s() takes %zu positional argument%s but %zd %s given", f.name, max,
                     max == 1 ? "" : "s", given, given == 1 ? "was" : "were");
    else
        PyErr_Format(PyExc_TypeError, "%s() takes from %zu to %zu positional arguments but %zd %s given", f.name,
                     min, max, given, given == 1 ? "was" : "were");
}

void missing(const Function& f, PyObject** slots) {
    std::vector<const char*> names;
    for (std::size_t i = 0; i < f.params.size(); ++i)
        if (!slots[i] && !f.params[i].omittable) names.push_back(f.params[i].name);
    std::string list;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i) list += names.size() == 2 ? " and " : (i + 1 == names.size() ? ", and " : ", ");
        list += "'";
        list += names[i];
        list += "'";
    }
    PyErr_Format(PyExc_TypeError, "%s() missing %zu required positional argument%s: %s", f.name, names.size(),
                 names.size() == 1 ? "" : "s", list.c_str());
}

}  // namespace

bool match_arguments(const Function& f, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames,
                     PyObject** slots) {
    const std::size_t np = f.params.size();
    if (static_cast<std::size_t>(nargs) > np) {
        too_many_positional(f, nargs);
        return false;
    }
    for (std::size_t i = 0; i < np; ++i) slots[i] = i < static_cast<std::size_t>(nargs) ? args[i] : nullptr;
    if (kwnames) {
        const Py_ssize_t nk = PyTuple_GET_SIZE(kwnames);
        for (Py_ssize_t k = 0; k < nk; ++k) {
            PyObject* key = PyTuple_GET_ITEM(kwnames, k);
            Py_ssize_t len = 0;
            const char* kname = PyUnicode_AsUTF8AndSize(key, &len);
            if (!kname) return false;
            std::size_t j = 0;
            for (; j < np; ++j)
                if (std::strlen(f.params[j].name) == static_cast<std::size_t>(len) &&
                    std::memcmp(f.params[j].name, kname, static_cast<std::size_t>(len)) == 0)
                    break;
            if (j == np) {
                PyErr_Format(PyExc_TypeError, "%s() got an unexpected keyword argument '%U'", f.name, key);
                return false;
            }
            if (slots[j]) {
                PyErr_Format(PyExc_TypeError, "%s() got multiple values for argument '%s'", f.name,
                             f.params[j].name);
                return false;
            }
            slots[j] = args[nargs + k];
        }
    }
    for (std::size_t i = 0; i < np; ++i) {
        if (!slots[i] && !f.params[i].omittable) {
            missing(f, slots);
            return false;
        }
    }
    return true;
}

PyObject* dispatch(const Function& f, PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    nargs = PyVectorcall_NARGS(nargs);
    constexpr std::size_t kInline = 16;
    PyObject* inline_slots[kInline];
    std::vector<PyObject*> heap_slots;
    PyObject** slots = inline_slots;
    if (f.params.size() > kInline) {
        heap_slots.resize(f.params.size());
        slots = heap_slots.data();
    }
    if (!match_arguments(f, args, nargs, kwnames, slots)) return nullptr;
    return f.invoke(f, self, slots);
}

PyObject* call_function(PyObject* capsule, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    auto* f = static_cast<const Function*>(PyCapsule_GetPointer(capsule, "vorn_library.function"));
    if (!f) return nullptr;
    return dispatch(*f, nullptr, args, nargs, kwnames);
}

void register_functions(std::span<const Function> rows) {
    for (const Function& f : rows) registry().emplace(f.name, &f);
}

const Function* find_function(const char* name) {
    auto it = registry().find(name);
    return it == registry().end() ? nullptr : it->second;
}

}  // namespace vorn::py
