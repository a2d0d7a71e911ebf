#include "RIZozivirod/Utilities/Storage/Exception.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace QV {
namespace {

size_t CountSeparators(const std::string& text) {
    size_t count = 0;
    for (size_t at = text.find(" : "); at != std::string::npos; at = text.find(" : ", at + 3)) {
        ++count;
    }
    return count;
}

struct Thrower {
    void WithoutMessage() { QV_THROW(std::runtime_error); }
    void WithMessage(const char* message) { QV_THROW(std::logic_error, message); }
    void NullPointer(const int* pointer) { QV_CHECK_NULL(pointer, "Cannot find child tabControl"); }
    void Check(int32_t result) { QV_CHECK_RESULT(result); }
};

template <class T>
struct Box {
    void Fail() { QV_THROW(std::out_of_range); }
};

TEST(ExceptionText, WithoutMessageHasNoEmptyField) {
    try {
        Thrower().WithoutMessage();
        FAIL();
    } catch (const std::runtime_error& e) {
        const std::string text = e.what();
        EXPECT_EQ(CountSeparators(text), 3u) << text;
        EXPECT_EQ(text.rfind("Runtime Error : QV::{anonymous}::Thrower::WithoutMessage : "
                             "RIZozivirod/Utilities/Storage/ExceptionTest.cpp : Line ",
                             0),
                  0u)
            << text;
    }
}

TEST(ExceptionText, MessageIsCopiedUnchangedEvenWithSeparators) {
    try {
        Thrower().WithMessage("a : b");
        FAIL();
    } catch (const std::logic_error& e) {
        const std::string text = e.what();
        EXPECT_EQ(CountSeparators(text), 5u) << text;
        EXPECT_EQ(text.rfind("Logic Error : a : b : QV::{anonymous}::Thrower::WithMessage : ", 0), 0u)
            << text;
    }
}

TEST(ExceptionText, NullPointerAndFailedResultForms) {
    try {
        Thrower().NullPointer(nullptr);
        FAIL();
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(
            std::string(e.what()).rfind("Runtime Error : Null Pointer : Cannot find child tabControl : ", 0),
            0u);
    }
    try {
        Thrower().Check(E_FAIL);
        FAIL();
    } catch (const FailedResultException& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Failed Result : QVRESULT = 80004005 : ", 0), 0u) << e.what();
    }
    EXPECT_NO_THROW(Thrower().Check(S_OK));
    EXPECT_NO_THROW(Thrower().Check(S_FALSE));
    EXPECT_THROW(Thrower().Check(-1), FailedResultException);
}

TEST(ExceptionText, TemplateArgumentsAppearInTheFunctionName) {
    try {
        Box<unsigned int>().Fail();
        FAIL();
    } catch (const std::out_of_range& e) {
        EXPECT_EQ(
            std::string(e.what()).rfind("Out of Range : QV::{anonymous}::Box<unsigned int>::Fail : ", 0), 0u)
            << e.what();
    }
}

TEST(ExceptionText, QualifiedFunctionNames) {
    const struct {
        const char* pretty;
        const char* expected;
    } cases[] = {
        {"virtual void QV::LRefCountedObject::Undo()", "QV::LRefCountedObject::Undo"},
        {"QV::Foo::Foo(int, char)", "QV::Foo::Foo"},
        {"static QV::RCPtr<QV::LIBuffer> QV::Bar::Create(uint32_t)", "QV::Bar::Create"},
        {"void QV::ConstRCPtr<T>::Unshare() [with T = QV::LIBuffer]",
         "QV::ConstRCPtr<QV::LIBuffer>::Unshare"},
        {"T QV::RCPtrQueue<T, N>::Dequeue() [with T = QV::LNotification; unsigned int N = 256]",
         "QV::RCPtrQueue<QV::LNotification, 256>::Dequeue"},
        {"bool QV::StringT<C, O>::operator<(const QV::StringT<C, O>&) const [with C = char16_t; O = char]",
         "QV::StringT<char16_t, char>::operator<"},
        {"int QV::Functor::operator()(int) const", "QV::Functor::operator()"},
        {"QV::X::operator bool() const", "QV::X::operator bool"},
        // clang's forms: its anonymous namespace is named as GCC names it, and the bindings after
        // the parameters are already in the name.
        {"static void QV::(anonymous namespace)::Thrower::WithoutMessage()",
         "QV::{anonymous}::Thrower::WithoutMessage"},
        {"void (anonymous namespace)::Panel::Initialize(int)", "{anonymous}::Panel::Initialize"},
        {"T QV::RCPtrQueue<QV::(anonymous namespace)::Item, 256>::Dequeue() [T = QV::(anonymous "
         "namespace)::Item, N = 256]",
         "QV::RCPtrQueue<QV::{anonymous}::Item, 256>::Dequeue"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(QualifiedFunctionName(c.pretty), c.expected) << c.pretty;
    }
}

TEST(ResultToString, UpperCaseHexWithoutLeadingZeros) {
    EXPECT_EQ(ResultToString(E_FAIL), "QVRESULT = 80004005");
    EXPECT_EQ(ResultToString(1), "QVRESULT = 1");
    EXPECT_EQ(ResultToString(0), "QVRESULT = 0");
    EXPECT_EQ(ResultToString(E_OUTOFMEMORY), "QVRESULT = 8007000E");
}

TEST(ExceptionFamily, WhatIsTheSameThroughBothBasesAndCatchesByKind) {
    const Exception<FailedResultException> failed("Failed Result : QVRESULT = 1");
    EXPECT_STREQ(static_cast<const ExceptionBase&>(failed).what(),
                 static_cast<const std::exception&>(failed).what());
    const Exception<std::logic_error> logic("Logic Error : x");
    EXPECT_STREQ(static_cast<const ExceptionBase&>(logic).what(), "Logic Error : x");
    const Exception<std::bad_alloc> badAlloc;
    EXPECT_STREQ(static_cast<const std::exception&>(badAlloc).what(), "bad allocation");
    EXPECT_STREQ(static_cast<const ExceptionBase&>(badAlloc).what(), "bad allocation");

    auto caughtAsRuntime = [](auto thrower) {
        try {
            thrower();
        } catch (const std::runtime_error&) {
            return true;
        } catch (...) {
            return false;
        }
        return false;
    };
    auto caughtAsLogic = [](auto thrower) {
        try {
            thrower();
        } catch (const std::logic_error&) {
            return true;
        } catch (...) {
            return false;
        }
        return false;
    };
    auto runtime = [] { QV_THROW(std::runtime_error); };
    auto logicError = [] { QV_THROW(std::logic_error); };
    auto outOfRange = [] { QV_THROW(std::out_of_range); };
    auto domain = [] { QV_THROW(std::domain_error); };
    auto invalid = [] { QV_THROW(std::invalid_argument); };
    auto result = [] { QV_CHECK_RESULT(E_FAIL); };
    EXPECT_TRUE(caughtAsRuntime(runtime));
    EXPECT_FALSE(caughtAsLogic(runtime));
    for (bool logicKind : {caughtAsLogic(logicError), caughtAsLogic(outOfRange), caughtAsLogic(domain),
                           caughtAsLogic(invalid)}) {
        EXPECT_TRUE(logicKind);
    }
    EXPECT_FALSE(caughtAsRuntime(outOfRange));
    EXPECT_FALSE(caughtAsRuntime(result));
    EXPECT_FALSE(caughtAsLogic(result));
    try {
        result();
    } catch (const ExceptionBase& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Failed Result : QVRESULT = 80004005", 0), 0u);
    }
}

}  // namespace
}  // namespace QV
