# Where `cmake --install` puts things: the game in games/, the modders' tool in bin/, the data
# pack and the files beside the game in share/games/veltramondo/. The game finds its data from
# its own location, so the relative path from the game's folder to the data folder is built in.
include(GNUInstallDirs)
set(VM_INSTALL_GAMEDIR "games" CACHE STRING "Folder of the game executable, below the prefix")
set(VM_INSTALL_DATADIR "${CMAKE_INSTALL_DATAROOTDIR}/games/veltramondo" CACHE STRING
    "Folder of the data pack and the files beside the game, below the prefix")
file(RELATIVE_PATH VM_DATA_FROM_GAME /prefix/${VM_INSTALL_GAMEDIR} /prefix/${VM_INSTALL_DATADIR})
# Folders made by the install are 755 whatever the umask (packages insist on it).
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
