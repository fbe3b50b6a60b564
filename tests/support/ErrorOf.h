#pragma once
// The OS error number a call reports through std::system_error; 0 when it reports none.

#include <functional>
#include <system_error>

namespace zeb::testing {

inline int ErrorOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const std::system_error& e) {
        return e.code().value();
    }
    return 0;
}

}  // namespace zeb::testing
