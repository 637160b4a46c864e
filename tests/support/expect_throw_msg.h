// EXPECT_THROW_MSG(statement, Type, message): statement throws an exception whose
// dynamic type is exactly Type and whose message is exactly message. Failures are
// reported at the line of the caller.
#pragma once

#include <exception>
#include <string>
#include <typeinfo>

#include <gtest/gtest.h>

#define EXPECT_THROW_MSG(statement, Type, message)                                                     \
    do {                                                                                               \
        const std::string expected_message_ = (message);                                               \
        try {                                                                                          \
            statement;                                                                                 \
            ADD_FAILURE() << "expected " #Type " \"" << expected_message_                              \
                          << "\" from " #statement "; nothing was thrown";                             \
        } catch (const std::exception& thrown_) {                                                      \
            EXPECT_EQ(typeid(Type).name(), std::string(typeid(thrown_).name())) << "from " #statement; \
            EXPECT_EQ(expected_message_, std::string(thrown_.what())) << "from " #statement;           \
        } catch (...) {                                                                                \
            ADD_FAILURE() << "expected " #Type " from " #statement "; got something else";             \
        }                                                                                              \
    } while (false)
