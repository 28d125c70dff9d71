# SPDX-License-Identifier: MIT
# Writes the service worker into the built site: the worker (web/sw.js) with
# the list of the site's files and a hash of their contents, which names its
# cache, so that every change to the site makes a new worker.
#   cmake -DSITE=<site directory> -DWORKER=<web/sw.js> -P site.cmake
if(NOT IS_DIRECTORY "${SITE}" OR NOT EXISTS "${WORKER}")
  message(FATAL_ERROR "usage: cmake -DSITE=<site directory> -DWORKER=<sw.js> -P site.cmake")
endif()

file(GLOB files LIST_DIRECTORIES false RELATIVE "${SITE}" "${SITE}/*")
list(REMOVE_ITEM files sw.js)
list(SORT files)
set(contents)
foreach(file ${files})
  file(SHA256 "${SITE}/${file}" hash)
  string(APPEND contents "${file} ${hash}\n")
endforeach()
string(SHA256 hash "${contents}")
string(SUBSTRING "${hash}" 0 16 SITE_HASH)
# The start page by the name a visitor uses too.
list(PREPEND files ./)
list(JOIN files " " SITE_FILES)
configure_file("${WORKER}" "${SITE}/sw.js" @ONLY)
# A build that changed nothing still leaves the worker newer than the site.
file(TOUCH_NOCREATE "${SITE}/sw.js")
