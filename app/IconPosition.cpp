// Centring the minimised icon.
#include "app/IconPosition.h"

IconPoint MinimisedIconPosition(std::int32_t clientWidth, std::int32_t clientHeight,
                                std::int32_t iconWidth, std::int32_t iconHeight) {
    // C++ integer division truncates toward zero, which is the rule wanted.
    return {(clientWidth - iconWidth + 1) / 2, (clientHeight - iconHeight + 1) / 2};
}
