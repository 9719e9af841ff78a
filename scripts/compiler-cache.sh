# Sourced by the build scripts: compile through ccache when it is installed. Paths are
# taken relative to the tree, so any clone of it reuses what another clone compiled; a
# machine without a cache simply compiles everything.
CACHE_LAUNCHER=()
if command -v ccache >/dev/null 2>&1; then
  export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=true
  CACHE_LAUNCHER=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
