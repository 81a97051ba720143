# Install-time step: writes the desktop entry for the prefix being installed to.
#
# Runs inside `cmake --install`, where CMAKE_INSTALL_PREFIX is the prefix
# given there.  Expects PLIM_APP_ID, and PLIM_BINDIR and PLIM_DATADIR
# (relative to the prefix, or absolute).  Writes
# DESTDIR/DATADIR/applications/PLIM_APP_ID.desktop from
# packaging/plim.desktop.in.  The entry starts `plim` by name when the program
# goes to /usr/bin or /usr/local/bin, which are on every PATH, and by its
# absolute path anywhere else, so that it starts whatever the desktop's PATH.
function(plim_under_prefix out dir)
  if(IS_ABSOLUTE "${dir}")
    set(path "${dir}")
  else()
    set(path "${CMAKE_INSTALL_PREFIX}/${dir}")
  endif()
  get_filename_component(path "${path}" ABSOLUTE)
  set(${out} "${path}" PARENT_SCOPE)
endfunction()

plim_under_prefix(plim_bin "${PLIM_BINDIR}")
plim_under_prefix(plim_applications "${PLIM_DATADIR}/applications")

# The path goes into the entry in single quotes, inside the double quotes of
# the entry's own syntax; these characters would need quoting of their own.
set(plim_unquotable FALSE)
foreach(character "'" "\"" "`" "$" "%" "\\" "\n")
  string(FIND "${plim_bin}" "${character}" at)
  if(at GREATER -1)
    set(plim_unquotable TRUE)
  endif()
endforeach()

if(plim_bin STREQUAL "/usr/bin" OR plim_bin STREQUAL "/usr/local/bin")
  set(PLIM_COMMAND plim)
elseif(plim_unquotable)
  message(WARNING "The desktop entry names plim without its folder: ${plim_bin} holds a "
                  "character it cannot quote, so ${plim_bin} must be on the desktop's PATH.")
  set(PLIM_COMMAND plim)
else()
  set(PLIM_COMMAND "'${plim_bin}/plim'")
endif()

get_filename_component(plim_source "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
set(plim_entry "$ENV{DESTDIR}${plim_applications}/${PLIM_APP_ID}.desktop")
message(STATUS "Installing: ${plim_entry}")
configure_file("${plim_source}/packaging/plim.desktop.in" "${plim_entry}" @ONLY)
file(CHMOD "${plim_entry}" PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${plim_applications}/${PLIM_APP_ID}.desktop")
