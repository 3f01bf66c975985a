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
    {"refuse_unsendable", "The value of \"%1\" holds a character that cannot be sent to the tracker."},
    {"refuse_latitude_range", "%1 must be a latitude from -90 to 90, not %2."},
    {"refuse_longitude_range", "%1 must be a longitude from -180 to 180, not %2."},
    {"refuse_range", "%1 must be a whole number from %2 to %3."},
    {"refuse_empty", "%1 must not be empty."},
    {"refuse_no_choice", "Choose a value for %1."},
    {"refuse_not_params", "\"%1\" is no parameter file: it has no section \"Para\" with the keys of a parameter set. Nothing was loaded."},
    // The window's status line: what ended an exchange or stopped a Write without a box.
    {"status_no_answer", "No answer from the tracker."},
    {"status_write_stopped", "Nothing was written: %1 is not a whole number."},
    // Parameter files.
    {"params_saved", "Parameters saved to"},
    {"params_loaded", "Parameters loaded from"},
    {"folder_not_created", "The folder cannot be created."},
    // Serial line.
    {"port_no_device", "No device has this port number"},
    {"port_line_lost", "The connection to the tracker was lost; the port has been closed."},
    {"port_list_line", "-- COM%1 = %2"},
    {"port_hint_join_group", "To use %1 your user must belong to the group \"%2\": run \"sudo usermod -aG %2 $USER\", then log out and log in again."},
    {"port_hint_log_in_again", "Your user belongs to the group \"%2\" that may use %1, but this session began before it joined: log out and log in again."},
    {"port_hint_owner_only", "Only \"%2\" may use %1: ask the administrator for access (for example a udev rule that gives the device to the group dialout)."},
    {"port_hint_busy", "Another program holds the port. Close it, then open the port again."},
    {"port_hint_busy_named", "Another program holds the port: %1. Close it, then open the port again."},
    {"port_holder", "%1 (process %2)"},
    // The second line of the box of a port that did not open: the device and the system's reason.
    {"port_open_reason", "%1: %2"},
    {"port_reason_missing", "No such file or directory"},
    {"port_reason_denied", "Permission denied"},
    {"port_reason_busy", "Device or resource busy"},
    // Tooltip of a status value shown after the port closed.
    {"status_stale", "%1 (from the last tracker, read before the port was closed)"},
    // Console.
    {"console_not_sent", "Not sent: %1"},
    {"console_no_answer", "No answer to \"%1\" within %2 seconds."},
    {"console_no_answer_one", "No answer to \"%1\" within %2 second."},
    // Start-up.
    {"settings_unreadable", "The settings file \"%1\" cannot be read, so it is left as it is and the defaults are used for this run. %2"},
    {"language_next_start", "The window's captions change to this language at the next start; messages and log lines use it from now on."},
    // Map.
    {"map_settings_button", "Map settings..."},
    {"map_settings_caption", "Map settings"},
    {"map_provider_label", "Map:"},
    {"map_provider_osm", "OpenStreetMap (no key needed)"},
    {"map_provider_google", "Google Maps (needs a key)"},
    {"map_provider_tiles", "Own tile server"},
    {"map_google_key_label", "Google Maps key:"},
    {"map_tile_url_label", "Tile address:"},
    {"map_tile_attribution_label", "Tile attribution:"},
    {"map_settings_note", "The tile address needs {z}, {x} and {y}, for example https://tiles.example.com/{z}/{x}/{y}.png or file:///home/user/tiles/{z}/{x}/{y}.png. The choice is kept in the settings file and used from the next \"Load Google Map\"."},
    {"map_settings_ok", "OK"},
    {"map_settings_cancel", "Cancel"},
    {"map_google_needs_key", "Google Maps needs a key. Enter your key, or choose OpenStreetMap, which needs none."},
    {"map_tile_url_bad", "The tile address \"%1\" cannot be used: it must begin with http://, https:// or file:// and contain {z}, {x} and {y}."},
    {"map_settings_unreadable", "The settings file \"%1\" cannot be read, so the map choice is not saved. %2"},
    {"map_notice_script", "The map could not be loaded from %1. Check the network connection, or choose OpenStreetMap in \"Map settings...\"."},
    {"map_notice_timeout", "The map did not arrive from %1 within %2 seconds. Check the network connection, or choose another map in \"Map settings...\"."},
    {"map_notice_tiles", "No map tiles could be loaded from %1. Check the network connection, or choose another map in \"Map settings...\". Fences can still be typed in the editor."},
    {"map_notice_key", "Google Maps refused the key. Set a valid key in \"Map settings...\", or choose OpenStreetMap, which needs none."},
    {"map_notice_no_key", "Google Maps needs a key. Set one in \"Map settings...\", or choose OpenStreetMap, which needs none."},
    {"map_not_ready", "The map is not ready yet. Wait until it shows, then try again."},
    {"browser_no_sandbox", "The program runs as root, so the map's browser runs without its sandbox. Run the program as an ordinary user to keep it."},
    {"map_not_loading", "%1 not loading !"},
    // Status widgets.
    {"status_tip", "%1 %2"},
    {"meter_level", "%1 / %2"},
    {"meter_percent", "%1%"},
    {"lamp_name", "Connection"},
    {"lamp_open", "open"},
    {"lamp_closed", "closed"},
    {"lamp_tip", "Connection: %1"},
    {"progress_name", "Commands done"},
    {"progress_tip", "Commands done: %1"},
    {"status_query", "Read the tracker's status"},
    // Batch configuration.
    {"fence_file_type", "\"%1\" is not a fence file: its name must end in .geojson, .json or .csv."},
    {"fence_file_line", "Line %1: %2"},
    {"fence_file_feature", "Feature %1: %2"},
    {"fence_bad_columns", "a fence line holds 6 values (number, name and four corners), this one %1"},
    {"fence_bad_number", "the fence number \"%1\" is not a whole number from 1 to 64"},
    {"fence_given_twice", "fence %1 is given twice (first in %2)"},
    {"fence_bad_name", "the name \"%1\" is not one the tracker takes: at most %2 letters A-Z, digits, spaces, \"-\" and \"_\""},
    {"fence_bad_longitude", "the longitude \"%1\" is not a number from -180 to 180"},
    {"fence_bad_latitude", "the latitude \"%1\" is not a number from -90 to 90"},
    {"fence_not_polygon", "the feature is not a Polygon"},
    {"fence_not_rectangle", "the polygon is not a rectangle along meridians and parallels"},
    {"fence_not_json", "the file is not JSON: %1 (line %2)"},
    {"fence_not_collection", "the file is not a GeoJSON FeatureCollection"},
    {"fence_export", "Export Fences..."},
    {"fence_import", "Import Fences..."},
    {"fence_file_filter", "Fence files"},
    {"fence_exported", "The fences were written to \"%1\"."},
    {"fence_imported", "%1 fences were read from \"%2\"; the other fences are empty. Write them to the tracker with \"%3\"."},
    {"fence_imported_one", "%1 fence was read from \"%2\"; the other fences are empty. Write it to the tracker with \"%3\"."},
    {"fence_import_refused", "Nothing was imported from \"%1\":"},
    {"fence_more_problems", "... and %1 more wrong lines."},
    {"fence_more_problems_one", "... and %1 more wrong line."},
    {"fence_file_too_large", "\"%1\" is %2 bytes long: too large for a file of 64 fences."},
    {"verify_check", "verify writes"},
    {"verify_caption", "Verification"},
    {"verify_differs", "The tracker holds other values than were written:"},
    {"verify_row", "%1: written \"%2\", read back \"%3\""},
    {"verify_row_answer", "%1: written \"%2\", answered \"%3\""},
    {"verify_fence", "Geo-fence %1"},
    {"verify_no_answer", "The tracker did not answer while its values were read back."},
    {"compare_button", "Compare"},
    {"compare_title", "Pages and tracker %1"},
    {"compare_field", "Field"},
    {"compare_pages", "On the pages"},
    {"compare_tracker", "On the tracker"},
    {"compare_write_all", "Write the pages to the tracker"},
    {"compare_take", "Take the tracker's values"},
    {"compare_no_answer", "The tracker did not answer: nothing to compare."},
    {"provision_button", "Provision..."},
    {"provision_title", "Provision trackers"},
    {"provision_params", "Parameter file:"},
    {"provision_fences", "Fence file:"},
    {"provision_start", "Start"},
    {"provision_stop", "Stop"},
    {"provision_no_params", "\"%1\" is not a parameter file that can be read."},
    {"provision_waiting", "Waiting for a tracker on %1..."},
    {"provision_remove", "Take the tracker away; the next one is provisioned when it answers."},
    {"provision_stopped", "Stopped."},
    {"provision_pass", "PASS"},
    {"provision_fail", "FAIL"},
    {"provision_tracker", "ID %1, firmware %2"},
    {"provision_step_identify", "Asking the tracker who it is"},
    {"provision_step_write", "Writing the settings"},
    {"provision_step_fences", "Writing %1 geo-fences"},
    {"provision_step_read_back", "Reading everything back"},
    {"provision_step_done", "Compared"},
    {"provision_refused", "A value on the pages cannot be written; nothing was sent."},
    {"provision_lost", "The tracker stopped answering."},
    {"station_add_port", "Add port"},
    {"station_remove_port", "Remove this port"},
    {"station_again", "AGAIN"},
    {"station_capture", "Mark trackers already in today's report as again"},
    {"station_counters", "Passed %1, failed %2"},
    {"station_counters_rate", "Passed %1, failed %2, %3 trackers per hour"},
    {"station_counters_rate_one", "Passed %1, failed %2, %3 tracker per hour"},
    {"station_running", "Provisioning on %1 ports."},
    {"station_running_one", "Provisioning on %1 port."},
    {"station_no_ports", "No port to provision: plug in a USB serial device or add a port."},
    {"station_rows_not_saved", "Rows are not being saved to the report: %1"},
    {"station_provision_again", "Provision it again"},
    {"station_no_device", "\"%1\" names no serial device."},
    {"result_pass", "pass"},
    {"result_differs", "differs"},
    {"result_no_tracker", "no tracker"},
    {"result_refused", "refused"},
    {"result_error", "error"},
    {"result_stopped", "stopped"},
    {"result_interrupted", "interrupted"},
    {"result_again", "again"},
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

QString TranslateCount(const char* key, qint64 count)
{
    if (count == 1) {
        const QByteArray one = QByteArray(key) + "_one";
        if (Find(one.constData()))
            return TranslateText(one.constData());
    }
    return TranslateText(key);
}

QString TranslateText(const char* key)
{
    const TProgramText* t = Find(key);
    if (!t)
        return QString::fromLatin1(key);
    const QString translated = ProgramTextTranslation(QString::fromLatin1(t->Key));
    return translated.isEmpty() ? QString::fromUtf8(t->English) : translated;
}
