# Writes the gzipped manual page OUTPUT of PROGRAM with help2man, from its
# --help and --version. When --help lists commands under "Commands:", each
# command's own --help is added to the page, so a new command gets its part of
# the page without editing anything here.
# Usage: cmake -DHELP2MAN=... -DPROGRAM=... -DNAME=... -DOUTPUT=... -P manpage.cmake
get_filename_component(program ${PROGRAM} NAME)
set(work ${OUTPUT}.d)
file(REMOVE_RECURSE ${work})
file(MAKE_DIRECTORY ${work})

# Run by name, so that the texts show the program's name and not the build
# folder.
get_filename_component(dir ${PROGRAM} DIRECTORY)
set(ENV{PATH} "${dir}:$ENV{PATH}")
execute_process(COMMAND ${program} --help OUTPUT_VARIABLE help COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND ${program} --version OUTPUT_FILE ${work}/version COMMAND_ERROR_IS_FATAL ANY)

# help2man takes the synopsis from a first line "Usage: PROGRAM ..." and
# lines "  or:  PROGRAM ..." after it; the usage lines (the text up to the
# first empty line) are handed over in that form: the window program's own
# usage line begins with "usage:".
string(FIND "${help}" "\n\n" end)
string(SUBSTRING "${help}" 0 ${end} usage)
string(SUBSTRING "${help}" ${end} -1 rest)
string(REGEX REPLACE "^[Uu]sage: *" "Usage: " usage "${usage}")
string(REGEX REPLACE "\n *" "\n  or:  " usage "${usage}")
file(WRITE ${work}/help "${usage}${rest}")
# help2man reads the texts from a stand-in of the program under its name.
file(WRITE ${work}/${program} "#!/bin/sh\nif [ \"$1\" = --version ]; then cat '${work}/version'; else cat '${work}/help'; fi\n")
execute_process(COMMAND chmod +x ${work}/${program} COMMAND_ERROR_IS_FATAL ANY)

set(options)
if(help MATCHES "\nCommands:\n(.*)\n\n")
  string(REGEX MATCHALL "\n  [a-z][-a-z]*" names "\n${CMAKE_MATCH_1}")
  set(include "[>COMMANDS]\n")
  foreach(name ${names})
    string(STRIP "${name}" name)
    execute_process(COMMAND ${program} ${name} --help OUTPUT_VARIABLE text COMMAND_ERROR_IS_FATAL ANY)
    # Kept as printed: a backslash as roff's escape character, a hyphen as
    # the minus sign that options are typed with, a line that begins with a
    # control character as text.
    string(REPLACE "\\" "\\e" text "${text}")
    string(REPLACE "-" "\\-" text "${text}")
    string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" text "${text}")
    string(APPEND include ".SS ${name}\n.nf\n${text}.fi\n")
  endforeach()
  file(WRITE ${work}/include "${include}")
  set(options --include ${work}/include)
endif()

execute_process(COMMAND ${HELP2MAN} --no-info --name ${NAME} ${options} --output ${OUTPUT} ${work}/${program}
                COMMAND_ERROR_IS_FATAL ANY)
# Debian keeps manual pages compressed; -n leaves out the name and time so
# that the same page gives the same bytes.
execute_process(COMMAND gzip -9nf ${OUTPUT} COMMAND_ERROR_IS_FATAL ANY)
