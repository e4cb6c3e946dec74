# Run at install time: writes the launcher and the manual page with the absolute program and
# data folders of this install. Given VS_LAUNCHER_TEMPLATE, VS_LAUNCHER, VS_MANUAL_TEMPLATE,
# VS_MANUAL, VS_INSTALL_PROGRAMDIR, VS_INSTALL_GAMEDATADIR, VS_INSTALL_DOCDIR and the release's
# VS_RELEASE_VERSION and VS_RELEASE_DATE; CMAKE_INSTALL_PREFIX is the prefix chosen for this
# install.

# A folder under the prefix as the installed game will see it (without DESTDIR).
function(installed_folder out folder)
  cmake_path(ABSOLUTE_PATH folder BASE_DIRECTORY "${CMAKE_INSTALL_PREFIX}" NORMALIZE)
  string(REGEX REPLACE "/$" "" folder "${folder}")
  set(${out} "${folder}" PARENT_SCOPE)
endfunction()

# The same, quoted for the shell: inside single quotes only a single quote itself needs care.
function(shell_quoted_folder out folder)
  installed_folder(folder "${folder}")
  string(REPLACE "'" "'\\''" folder "${folder}")
  set(${out} "'${folder}'" PARENT_SCOPE)
endfunction()

shell_quoted_folder(VS_PROGRAM_DIR "${VS_INSTALL_PROGRAMDIR}")
shell_quoted_folder(VS_DATA_DIR "${VS_INSTALL_GAMEDATADIR}")
configure_file("${VS_LAUNCHER_TEMPLATE}" "${VS_LAUNCHER}" @ONLY)

# The manual page names the same folders for the reader.
installed_folder(VS_PROGRAM_PATH "${VS_INSTALL_PROGRAMDIR}")
installed_folder(VS_DATA_PATH "${VS_INSTALL_GAMEDATADIR}")
installed_folder(VS_DOC_PATH "${VS_INSTALL_DOCDIR}")
configure_file("${VS_MANUAL_TEMPLATE}" "${VS_MANUAL}" @ONLY)
