# The archive's top folder gets a link to the launcher, which finds the data through its real location.
file(CREATE_LINK games/skorvane ${CMAKE_INSTALL_PREFIX}/skorvane SYMBOLIC)
