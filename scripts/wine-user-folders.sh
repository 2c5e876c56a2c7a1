# Sourced by the scripts that run Emberdell under Wine. A new Wine prefix
# links the user's Documents, Desktop and other folders to the home folder;
# these scripts keep everything they write under build/, so the links become
# folders inside the prefix. Runs after wineboot has made the prefix.
keep_wine_user_folders_in_prefix() {
  local user_dir link
  user_dir="$WINEPREFIX/drive_c/users/$(whoami)"
  [[ -d $user_dir ]] || return 0
  for link in "$user_dir"/*; do
    [[ -L $link ]] || continue
    rm -f "$link"
    mkdir -p "$link"
  done
}
