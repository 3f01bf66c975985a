#include "i18n/ProgramTexts.h"

#include "i18n/Language.h"

#include <cstring>

namespace {

// Grouped by the part of the program that shows them; new texts are added to their group.
constexpr TProgramText Texts[] = {
    // Refusals before anything is sent.
    {"error_caption", "Error"},
    {"refuse_separator", "The value of \"%1\" must not contain \",\", \"(\", \")\" or \"!\"."},
    {"refuse_long_value", "The value of \"%1\" is too long: the command would be %2 bytes, at most %3 can be sent."},
    {"refuse_not_number", "%1 is not a number."},
    {"refuse_unexpected", "The action could not be completed: %1"},
    // Parameter files.
    {"params_saved", "Parameters saved to"},
    {"params_loaded", "Parameters loaded from"},
    {"folder_not_created", "The folder cannot be created."},
    // Serial line.
    {"port_no_device", "No device has this port number"},
    {"port_line_lost", "The connection to the tracker was lost; the port has been closed."},
    {"port_list_line", "-- COM%1 = %2"},
    // Console.
    {"console_not_sent", "Not sent: %1"},
    // Start-up.
    {"settings_unreadable", "The settings file \"%1\" cannot be read, so it is left as it is and the defaults are used for this run. %2"},
    // Map.
    // Status widgets.
    // Batch configuration.
};

const TProgramText* Find(const char* key)
{
    for (const TProgramText& t : Texts)
        if (std::strcmp(t.Key, key) == 0)
            return &t;
    return nullptr;
}

} // namespace

std::span<const TProgramText> ProgramTexts() { return Texts; }

QString EnglishText(const char* key)
{
    const TProgramText* t = Find(key);
    return t ? QString::fromUtf8(t->English) : QString();
}

QString TranslateText(const char* key)
{
    const TProgramText* t = Find(key);
    if (!t)
        return QString::fromLatin1(key);
    const QString translated = ProgramTextTranslation(QString::fromLatin1(t->Key));
    return translated.isEmpty() ? QString::fromUtf8(t->English) : translated;
}
