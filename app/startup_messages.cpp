#include "app/startup_messages.h"

namespace startup {

namespace {

struct MessageTable {
    StartupMessageTexts chinese;
    StartupMessageTexts english;
};

// Only the last English message has English buttons; the others keep the
// Chinese captions, as the product always showed them.
constexpr MessageTable kMessages[] = {
    {{L"提示", L"软件初始化失败，请检查运行环境！", L"确定", L"取消"},
     {L"tips", L"Initialize failed!", L"确定", L"取消"}},
    {{L"提示", L"初始化目录失败，请退出后再运行！", L"确定", L"取消"},
     {L"tips", L"Data folder setup failed, please quit and run the program again!", L"确定",
      L"取消"}},
    {{L"提示", L"软件语言初始化失败！", L"确定", L"取消"},
     {L"tips", L"Initialize language failed!", L"确定", L"取消"}},
    {{L"提示", L"软件加载语言初始化失败！", L"确定", L"取消"},
     {L"tips", L"Software loading language initialization failed!", L"Yes", L"Cancel"}},
};

}  // namespace

StartupMessageTexts TextsOf(StartupMessage message, int messageLanguage) {
    const MessageTable& table = kMessages[static_cast<int>(message)];
    return messageLanguage == 0 ? table.chinese : table.english;
}

}  // namespace startup
