#include "reader/ReaderErrorText.h"

#include "reader/GvreadApi.h"
#include "text/CodePages.h"

std::string ReaderErrorText(int code) {
    switch (code) {
        case GV_ERROR_OPEN: return "Ошибка при открытии файла!"_w;
        case GV_ERROR_FORMAT: return "Не верный тип данных!"_w;
        case GV_ERROR_MEMORY: return "Ошибка памяти! Перезапустите программу."_w;
        case GV_ERROR_RANGE: return "Выход за пределы массива!"_w;
        default: return std::string();
    }
}
