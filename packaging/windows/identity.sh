# Sourced by scripts/release.sh and scripts/installer-test.sh: sets name,
# publisher and version as cmake/AppIdentity.cmake has them (through
# identity.cmake, so that the two cannot read them differently).
name="" publisher="" version=""
while IFS='=' read -r key value; do
  case $key in
    NAME) name=$value ;;
    PUBLISHER) publisher=$value ;;
    VERSION) version=$value ;;
  esac
done < <(cmake -P "$(dirname "${BASH_SOURCE[0]}")/identity.cmake")
