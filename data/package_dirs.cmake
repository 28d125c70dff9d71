# SPDX-License-Identifier: MIT
# Run by CPack on its staging tree before it packs it: the install made the
# directories under the packager's umask, and a package wants them 0755.
file(GLOB_RECURSE paths LIST_DIRECTORIES true "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*")
foreach(path IN LISTS paths)
  if(IS_DIRECTORY "${path}")
    file(CHMOD "${path}" PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
      GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  endif()
endforeach()
