#pragma once

#include <cstdint>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>

#include "RIZozivirod/Utilities/Storage/Result.h"

namespace QV {

// Common base of every framework exception: gives the text of the standard exception part
// of the same object.
class ExceptionBase {
public:
    virtual ~ExceptionBase();
    virtual const char* what() const noexcept;
};

// A result code that had to succeed and did not.
class FailedResultException : public std::exception {
public:
    FailedResultException() = default;
    explicit FailedResultException(const char* message) : mMessage(message) {}
    explicit FailedResultException(std::string message) : mMessage(std::move(message)) {}
    const char* what() const noexcept override { return mMessage.c_str(); }

private:
    std::string mMessage;
};

template <class E>
class Exception : public E, public ExceptionBase {
public:
    explicit Exception(const char* text) : E(text) {}
    explicit Exception(const std::string& text) : E(text) {}
    using E::what;
};

// std::bad_alloc carries no text of its own; the framework's form always says the same.
template <>
class Exception<std::bad_alloc> : public std::bad_alloc, public ExceptionBase {
public:
    Exception() = default;
    explicit Exception(const char*) {}
    explicit Exception(const std::string&) {}
    const char* what() const noexcept override { return "bad allocation"; }
};

// The kind word that opens an exception's text.
template <class E>
constexpr const char* ExceptionKind();
template <>
constexpr const char* ExceptionKind<std::logic_error>() {
    return "Logic Error";
}
template <>
constexpr const char* ExceptionKind<std::runtime_error>() {
    return "Runtime Error";
}
template <>
constexpr const char* ExceptionKind<std::out_of_range>() {
    return "Out of Range";
}
template <>
constexpr const char* ExceptionKind<std::domain_error>() {
    return "Domain Error";
}
template <>
constexpr const char* ExceptionKind<std::invalid_argument>() {
    return "Invalid Argument";
}
template <>
constexpr const char* ExceptionKind<FailedResultException>() {
    return "Failed Result";
}

// "QVRESULT = " and the result in upper-case hexadecimal.
std::string ResultToString(int32_t result);

// The qualified function name of a compiler-spelled signature: no return type, no
// parameters, template parameters replaced by their arguments.
std::string QualifiedFunctionName(std::string_view prettyFunction);

// kind " : " [message " : "] function " : " file " : Line " line
std::string ComposeExceptionText(const char* kind, std::string_view function, const char* file, int line);
std::string ComposeExceptionText(const char* kind, std::string_view function, const char* file, int line,
                                 std::string_view message);

}  // namespace QV

#define QV_THROW(ExceptionType, ...)                                                                      \
    throw ::QV::Exception<ExceptionType>(::QV::ComposeExceptionText(                                      \
        ::QV::ExceptionKind<ExceptionType>(), ::QV::QualifiedFunctionName(__PRETTY_FUNCTION__), __FILE__, \
        __LINE__ __VA_OPT__(, ) __VA_ARGS__))

// The same with the function name given as a literal.
#define QV_THROW_IN(ExceptionType, functionName, ...)                \
    throw ::QV::Exception<ExceptionType>(::QV::ComposeExceptionText( \
        ::QV::ExceptionKind<ExceptionType>(), functionName, __FILE__, __LINE__ __VA_OPT__(, ) __VA_ARGS__))

// A required object that is absent.
#define QV_CHECK_NULL(pointer, message)                                               \
    do {                                                                              \
        if ((pointer) == nullptr) {                                                   \
            QV_THROW(std::runtime_error, std::string("Null Pointer : ") + (message)); \
        }                                                                             \
    } while (false)

// A result that has to succeed.
#define QV_CHECK_RESULT(expression)                                                        \
    do {                                                                                   \
        const int32_t qvCheckedResult_ = (expression);                                     \
        if (qvCheckedResult_ < 0) {                                                        \
            QV_THROW(::QV::FailedResultException, ::QV::ResultToString(qvCheckedResult_)); \
        }                                                                                  \
    } while (false)
