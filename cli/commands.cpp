// The command groups. A new group is a unit defining its command_t plus one
// entry here; the overview, --help and dispatch follow from the table.
#include "cli/commands.h"

namespace pictora::cli {

extern const command_t config_command;
extern const command_t albums_command;
extern const command_t jpeg_command;
extern const command_t exif_command;
extern const command_t make_album_command;
extern const command_t add_command;
extern const command_t texts_command;
extern const command_t comment_command;
extern const command_t mark_command;
extern const command_t remove_command;
extern const command_t update_command;
extern const command_t book_page_command;
extern const command_t best_command;
extern const command_t best_book_command;

const command_t* const commands[] = {&config_command, &albums_command, &jpeg_command, &exif_command,
                                     &make_album_command, &add_command, &texts_command, &comment_command,
                                     &mark_command, &remove_command, &update_command, &book_page_command,
                                     &best_command, &best_book_command};
const size_t command_count = sizeof commands / sizeof commands[0];

}  // namespace pictora::cli
