# PLIM's AppStream file: packaging/plim.metainfo.xml.in with the id, the
# screenshots and the releases filled in, written at configure time to
# PLIM_METAINFO (metainfo/PLIM_APP_ID.metainfo.xml in the build tree).
#
# The releases are CHANGELOG.md's "## VERSION — YYYY-MM-DD" headings, newest
# first, each with the paragraph under it; a heading without a version and a
# date (work not yet released) is left out.  The screenshots are the three
# pictures in docs/screens, listed only when PLIM_SCREENSHOTS_URL says where
# they are published: AppStream takes screenshots from the web alone.

set(PLIM_SCREENSHOTS_URL "" CACHE STRING
  "Web address where docs/screens' pictures are published; the AppStream file lists them when set")

# XML text from one line of Markdown: code marks dropped, & < > escaped.
function(plim_xml_text out text)
  string(REPLACE "`" "" text "${text}")
  string(REPLACE "&" "&amp;" text "${text}")
  string(REPLACE "<" "&lt;" text "${text}")
  string(REPLACE ">" "&gt;" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# <release> elements for CHANGELOG.md's releases, in its order.
function(plim_changelog_releases out)
  file(READ "${PROJECT_SOURCE_DIR}/CHANGELOG.md" changelog)
  # One list item per line; the characters that CMake's lists treat
  # specially are stood in for by control characters and put back.
  string(ASCII 30 semicolon)
  string(ASCII 29 open_bracket)
  string(ASCII 28 close_bracket)
  string(REPLACE ";" "${semicolon}" changelog "${changelog}")
  string(REPLACE "[" "${open_bracket}" changelog "${changelog}")
  string(REPLACE "]" "${close_bracket}" changelog "${changelog}")
  # A blank line after the last paragraph ends it, as any other.
  string(REPLACE "\n" ";" lines "${changelog}\n")

  set(releases "")
  set(version "")
  set(paragraph "")
  foreach(line IN LISTS lines)
    if(line MATCHES "^## ([0-9][0-9.]*) — ([0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9])$")
      set(version "${CMAKE_MATCH_1}")
      set(date "${CMAKE_MATCH_2}")
      set(paragraph "")
    elseif(version STREQUAL "")
      continue()
    elseif(line STREQUAL "" AND paragraph STREQUAL "")
      continue()
    elseif(line STREQUAL "" OR line MATCHES "^#")
      plim_xml_text(text "${paragraph}")
      string(APPEND releases "\n    <release version=\"${version}\" date=\"${date}\">"
        "\n      <description>\n        <p>${text}</p>\n      </description>\n    </release>")
      set(version "")
    elseif(paragraph STREQUAL "")
      set(paragraph "${line}")
    else()
      string(APPEND paragraph " ${line}")
    endif()
  endforeach()
  string(REPLACE "${semicolon}" ";" releases "${releases}")
  string(REPLACE "${open_bracket}" "[" releases "${releases}")
  string(REPLACE "${close_bracket}" "]" releases "${releases}")
  set(${out} "${releases}" PARENT_SCOPE)
endfunction()

# <screenshots> for the three screens, the grid first, when the pictures have
# a web address.
function(plim_screenshots out url)
  set(screenshots "")
  if(NOT url STREQUAL "")
    string(REGEX REPLACE "/+$" "" url "${url}")
    set(screenshots "\n  <screenshots>")
    foreach(screen "grid|The grid, where lit cells play under the sweeping playhead"
                   "picker|The bank picker, which plays three notes of each bank"
                   "guide|The guide to the pad's controls")
      string(REPLACE "|" ";" screen "${screen}")
      list(GET screen 0 name)
      list(GET screen 1 caption)
      set(type "")
      if(name STREQUAL "grid")
        set(type " type=\"default\"")
      endif()
      string(APPEND screenshots "\n    <screenshot${type}>\n      <caption>${caption}</caption>"
        "\n      <image type=\"source\" width=\"640\" height=\"480\">${url}/${name}.png</image>"
        "\n    </screenshot>")
    endforeach()
    string(APPEND screenshots "\n  </screenshots>")
  endif()
  set(${out} "${screenshots}" PARENT_SCOPE)
endfunction()

plim_changelog_releases(PLIM_RELEASES)
plim_screenshots(PLIM_SCREENSHOTS "${PLIM_SCREENSHOTS_URL}")
set(PLIM_METAINFO "${CMAKE_BINARY_DIR}/metainfo/${PLIM_APP_ID}.metainfo.xml")
configure_file(packaging/plim.metainfo.xml.in "${PLIM_METAINFO}" @ONLY)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/CHANGELOG.md")
