#include "app/SecondCopy.h"

#include "text/CodePages.h"

namespace app {

std::string AlreadyRunningMessage() {
    return "Программа перевода цен из формата Гарвена в ОРН уже запущена!"_w;
}

}  // namespace app
