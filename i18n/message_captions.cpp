#include "i18n/message_captions.h"

#include <array>

namespace vandrel {
namespace {

constexpr std::array<CaptionItem, 15> kUpdateWindowItems = {{
    {"LangNoDownload", "Файлы обновления не загружены!"},
    {"LangDownloadComplet", "Файлы обновления загружены!"},
    {"LangNoUpdate", "Нет обновления"},
    {"LangServerVersion", "Версия на сервере:"},
    {"LangVersionComputer", "Версия на компьютере:"},
    {"LangUpdateAvailable", "Доступно обновление"},
    {"LangDownload", "Скачать"},
    {"LangCancel", "Отмена"},
    {"LangUpdateNow", "Хотите обновить приложение сейчас?"},
    {"LangYes", "Да"},
    {"LangNo", "Нет"},
    {"LangCheckUpdate", "Проверка обновления..."},
    {"LangFailedCheckUpdates", "Не удалось проверить обновления"},
    {"LangConnectionError", "Ошибка соединения"},
    {"LangUpdateNotVerified", "Подпись обновления не подтверждена"},
}};

constexpr std::array<CaptionItem, 28> kMainWindowItems = {{
    {"LangError", "Ошибка!"},
    {"LangElements", "Элементов:"},
    {"LangTarget", "Выберите источник иконки"},
    {"LangIconInstall", "Иконка успешно установлена"},
    {"LangSelectFolderIcon", "Выберите папку для установки иконки"},
    {"LangAttention", "Внимание!"},
    {"LangFolderWithIcon", "Выберите папку с иконкой"},
    {"LangChangeIconFolder", "Изменить иконку папки?"},
    {"LangDelIconFolder", "Удалить иконку из папки?"},
    {"LangCannotChangeIcon", "Нельзя изменить иконку диска"},
    {"LangIconDelete", "Иконка успешно удалена"},
    {"LangClearingCacheComplet", "Очистка кэша завершена!"},
    {"LangClearingCacheIcon", "Очистка основного кэша иконок..."},
    {"LangClearingAddCacheIcon", "Очистка дополнительного кэша иконок..."},
    {"LangDeletingCacheFiles", "Удаление файлов кэша..."},
    {"LangStartExplorer", "Запуск проводника Windows..."},
    {"LangEndExplorer", "Завершение процесса Explorer..."},
    {"LangOnlyWindows", "Эта программа совместима только с Windows 10 и Windows 11."},
    {"LangFileNotFound", "Файл не найден:"},
    {"LangFailedUploadFile", "Не удалось загрузить файл"},
    {"LangNoIconGroups", "В файле нет групп иконок"},
    {"LangInvalidIconIndex", "Неверный индекс иконки!"},
    {"LangIconExtractedSuccessfully", "Иконка успешно извлечена!"},
    {"LangErrorExtractingIcon", "Ошибка при извлечении иконки!"},
    {"LangIconChange", "Изменить иконку"},
    {"LangDesktopIniTooLarge", "Файл Desktop.ini слишком большой:"},
    {"LangPictureUnreadable", "Файл не является картинкой или повреждён:"},
    {"LangPictureTooLarge", "Картинка слишком большая (больше 64 мегапикселей):"},
}};

}  // namespace

std::span<const CaptionItem> MainWindowMessageItems() { return kMainWindowItems; }

std::span<const CaptionItem> UpdateWindowMessageItems() { return kUpdateWindowItems; }

std::string DesignTimeCaptions::Caption(std::string_view item) const {
  for (const CaptionItem& c : kMainWindowItems)
    if (c.name == item) return std::string(c.caption);
  return std::string(item);
}

}  // namespace vandrel
