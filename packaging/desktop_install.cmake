# Install step of the desktop entry: writes the entry with the game's full installed path and
# installs it. Each destination gets its own work file, so two installs may run at once.
string(MD5 vm_key "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
get_filename_component(vm_name "${VM_DESKTOP_IN}" NAME_WLE)
set(vm_entry "${VM_DESKTOP_WORK}/desktop-${vm_key}/${vm_name}")
file(READ "${VM_DESKTOP_IN}" vm_text)
string(REPLACE "@GAME@" "${CMAKE_INSTALL_PREFIX}/${VM_DESKTOP_GAME}" vm_text "${vm_text}")
file(WRITE "${vm_entry}" "${vm_text}")
file(INSTALL "${vm_entry}" DESTINATION "${CMAKE_INSTALL_PREFIX}/${VM_DESKTOP_DIR}")
