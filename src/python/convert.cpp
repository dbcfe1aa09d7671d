#include "python/convert.hpp"

#include <cstring>

namespace vorn::py {

namespace {

// Element-wise copy of a one-dimensional buffer of any real numeric format.
template <class T>
void copy_strided(const Py_buffer& view, double* out) {
    const char* p = static_cast<const char*>(view.buf);
    const Py_ssize_t stride = view.strides ? view.strides[0] : view.itemsize;
    for (Py_ssize_t i = 0; i < view.shape[0]; ++i, p += stride) {
        T x;
        std::memcpy(&x, p, sizeof(T));
        out[i] = static_cast<double>(x);
    }
}

// Returns true when the buffer was one-dimensional and of a format we read;
// false leaves no error set and the caller takes the sequence path.
bool load_buffer(PyObject* obj, Series& out) {
    Py_buffer view;
    if (PyObject_GetBuffer(obj, &view, PyBUF_RECORDS_RO) != 0) {
        PyErr_Clear();
        return false;
    }
    const char* fmt = view.format ? view.format : "B";
    if (*fmt == '@' || *fmt == '=' || *fmt == '<') ++fmt;  // native byte order on every supported target
    bool ok = view.ndim == 1 && fmt[0] != '\0' && fmt[1] == '\0';
    if (ok) {
        const std::size_t n = static_cast<std::size_t>(view.shape[0]);
        const Py_ssize_t size = view.itemsize;
        out.resize(n);
        double* dst = out.data();
        const bool contiguous = !view.strides || view.strides[0] == size;
        switch (fmt[0]) {
            case 'd':
                if (size != 8) { ok = false; break; }
                if (contiguous) {
                    if (n) std::memcpy(dst, view.buf, n * sizeof(double));
                } else {
                    copy_strided<double>(view, dst);
                }
                break;
            case 'f':
                if (size != 4) { ok = false; break; }
                copy_strided<float>(view, dst);
                break;
            case 'b': case 'h': case 'i': case 'l': case 'q': case 'n':
                if (size == 1) copy_strided<std::int8_t>(view, dst);
                else if (size == 2) copy_strided<std::int16_t>(view, dst);
                else if (size == 4) copy_strided<std::int32_t>(view, dst);
                else if (size == 8) copy_strided<std::int64_t>(view, dst);
                else ok = false;
                break;
            case 'B': case 'H': case 'I': case 'L': case 'Q': case 'N': case '?':
                if (size == 1) copy_strided<std::uint8_t>(view, dst);
                else if (size == 2) copy_strided<std::uint16_t>(view, dst);
                else if (size == 4) copy_strided<std::uint32_t>(view, dst);
                else if (size == 8) copy_strided<std::uint64_t>(view, dst);
                else ok = false;
                if (ok && fmt[0] == '?')
                    for (std::size_t i = 0; i < n; ++i) dst[i] = dst[i] != 0.0 ? 1.0 : 0.0;
                break;
            default:
                ok = false;
        }
        if (!ok) out.clear();
    }
    PyBuffer_Release(&view);
    return ok;
}

inline bool element(PyObject* item, double& out) {
    if (PyFloat_CheckExact(item)) {
        out = PyFloat_AS_DOUBLE(item);
        return true;
    }
    // __float__ may run arbitrary code, including code that mutates the
    // container: keep the element alive across the call.
    Py_INCREF(item);
    out = PyFloat_AsDouble(item);
    Py_DECREF(item);
    return !(out == -1.0 && PyErr_Occurred());
}

}  // namespace

bool load_series(PyObject* obj, Series& out) {
    out.clear();
    if (PyUnicode_Check(obj)) {
        PyErr_SetString(PyExc_TypeError, "expected a sequence of numbers, got str");
        return false;
    }
    if (PyList_CheckExact(obj)) {
        // Re-read the size every step: an element's __float__ may resize the list.
        Py_ssize_t n = PyList_GET_SIZE(obj);
        out.resize(static_cast<std::size_t>(n));
        Py_ssize_t i = 0;
        for (; i < PyList_GET_SIZE(obj); ++i) {
            double d;
            if (!element(PyList_GET_ITEM(obj, i), d)) return false;
            if (i < n) out[static_cast<std::size_t>(i)] = d;
            else out.push_back(d), ++n;
        }
        out.resize(static_cast<std::size_t>(i));
        return true;
    }
    if (PyTuple_CheckExact(obj)) {
        const Py_ssize_t n = PyTuple_GET_SIZE(obj);
        out.resize(static_cast<std::size_t>(n));
        for (Py_ssize_t i = 0; i < n; ++i)
            if (!element(PyTuple_GET_ITEM(obj, i), out[static_cast<std::size_t>(i)])) return false;
        return true;
    }
    if (PyObject_CheckBuffer(obj) && load_buffer(obj, out)) return true;
    if (!PySequence_Check(obj)) {
        PyErr_Format(PyExc_TypeError, "expected a sequence of numbers, got %.200s", Py_TYPE(obj)->tp_name);
        return false;
    }
    Py_ssize_t hint = PyObject_LengthHint(obj, 0);
    if (hint < 0) {
        PyErr_Clear();
        hint = 0;
    }
    out.reserve(static_cast<std::size_t>(hint));
    PyObject* it = PyObject_GetIter(obj);
    if (!it) return false;
    while (PyObject* item = PyIter_Next(it)) {
        double d;
        bool ok = element(item, d);
        Py_DECREF(item);
        if (!ok) {
            Py_DECREF(it);
            return false;
        }
        out.push_back(d);
    }
    Py_DECREF(it);
    return !PyErr_Occurred();
}

bool load_u64(PyObject* obj, std::uint64_t& out) {
    // __index__ only: a float is a TypeError, a negative int an OverflowError.
    PyObject* idx = PyNumber_Index(obj);
    if (!idx) return false;
    out = PyLong_AsUnsignedLongLong(idx);
    Py_DECREF(idx);
    return !(out == static_cast<std::uint64_t>(-1) && PyErr_Occurred());
}

bool load_i64(PyObject* obj, std::int64_t& out) {
    PyObject* idx = PyNumber_Index(obj);
    if (!idx) return false;
    out = PyLong_AsLongLong(idx);
    Py_DECREF(idx);
    return !(out == -1 && PyErr_Occurred());
}

bool load_f64(PyObject* obj, double& out) {
    if (PyFloat_CheckExact(obj)) {
        out = PyFloat_AS_DOUBLE(obj);
        return true;
    }
    out = PyFloat_AsDouble(obj);
    return !(out == -1.0 && PyErr_Occurred());
}

bool load_flag(PyObject* obj, bool& out) {
    if (PyBool_Check(obj)) {
        out = obj == Py_True;
        return true;
    }
    // NumPy's bool scalar, recognised by its type name so NumPy stays optional.
    const char* name = Py_TYPE(obj)->tp_name;
    if (std::strcmp(name, "numpy.bool") == 0 || std::strcmp(name, "numpy.bool_") == 0) {
        int t = PyObject_IsTrue(obj);
        if (t < 0) return false;
        out = t != 0;
        return true;
    }
    PyErr_Format(PyExc_TypeError, "expected bool, got %.200s", Py_TYPE(obj)->tp_name);
    return false;
}

bool load_text(PyObject* obj, std::string& out) {
    if (!PyUnicode_Check(obj)) {
        PyErr_Format(PyExc_TypeError, "expected str, got %.200s", Py_TYPE(obj)->tp_name);
        return false;
    }
    Py_ssize_t n = 0;
    const char* s = PyUnicode_AsUTF8AndSize(obj, &n);
    if (!s) return false;
    out.assign(s, static_cast<std::size_t>(n));
    return true;
}

PyObject* to_py(const Series& v) {
    const Py_ssize_t n = static_cast<Py_ssize_t>(v.size());
    PyObject* list = PyList_New(n);
    if (!list) return nullptr;
    // Floats are immutable: a run of equal values (warm-up NaN, pattern and
    // signal series of 0.0) shares one object instead of allocating each.
    // Bit patterns are compared so -0.0 and 0.0 stay distinct.
    PyObject* prev = nullptr;
    std::uint64_t prev_bits = 0;
    PyObject* zero = nullptr;
    for (Py_ssize_t i = 0; i < n; ++i) {
        const double x = v[static_cast<std::size_t>(i)];
        std::uint64_t bits;
        std::memcpy(&bits, &x, sizeof bits);
        PyObject* f;
        if (prev && bits == prev_bits) {
            f = Py_NewRef(prev);
        } else if (bits == 0 && zero) {
            f = Py_NewRef(zero);
        } else {
            f = PyFloat_FromDouble(x);
            if (!f) {
                Py_DECREF(list);
                return nullptr;
            }
            if (bits == 0) zero = f;
        }
        PyList_SET_ITEM(list, i, f);
        prev = f;
        prev_bits = bits;
    }
    return list;
}

PyObject* to_py(const std::vector<std::int64_t>& v) {
    const Py_ssize_t n = static_cast<Py_ssize_t>(v.size());
    PyObject* list = PyList_New(n);
    if (!list) return nullptr;
    for (Py_ssize_t i = 0; i < n; ++i) {
        PyObject* o = PyLong_FromLongLong(v[static_cast<std::size_t>(i)]);
        if (!o) {
            Py_DECREF(list);
            return nullptr;
        }
        PyList_SET_ITEM(list, i, o);
    }
    return list;
}

PyObject* to_py(double v) { return PyFloat_FromDouble(v); }
PyObject* to_py(bool v) { return PyBool_FromLong(v); }
PyObject* to_py(std::int64_t v) { return PyLong_FromLongLong(v); }
PyObject* to_py(std::uint64_t v) { return PyLong_FromUnsignedLongLong(v); }
PyObject* to_py(int v) { return PyLong_FromLong(v); }
PyObject* to_py(const std::string& v) {
    return PyUnicode_DecodeUTF8(v.data(), static_cast<Py_ssize_t>(v.size()), "replace");
}
PyObject* to_py(std::monostate) { Py_RETURN_NONE; }

PyObject* raise(const VornError& e) {
    std::string msg = e.message();
    PyObject* text = PyUnicode_DecodeUTF8(msg.data(), static_cast<Py_ssize_t>(msg.size()), "replace");
    if (text) {
        PyErr_SetObject(PyExc_ValueError, text);
        Py_DECREF(text);
    }
    return nullptr;
}

void rename_type_error(const char* param) {
    if (!PyErr_ExceptionMatches(PyExc_TypeError)) return;
    PyObject *type, *value, *tb;
    PyErr_Fetch(&type, &value, &tb);
    PyErr_NormalizeException(&type, &value, &tb);
    if (tb) PyException_SetTraceback(value, tb);
    PyObject* msg = PyUnicode_FromFormat("argument '%s': %S", param, value);
    PyObject* outer = msg ? PyObject_CallOneArg(PyExc_TypeError, msg) : nullptr;
    Py_XDECREF(msg);
    if (outer) {
        PyException_SetCause(outer, Py_NewRef(value));  // steals the new reference
        PyErr_SetObject(PyExc_TypeError, outer);
        Py_DECREF(outer);
    }
    Py_XDECREF(type);
    Py_XDECREF(value);
    Py_XDECREF(tb);
}

}  // namespace vorn::py
