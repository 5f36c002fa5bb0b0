#!/usr/bin/env bash
# Makes the README's pictures again from the real program under Wine and
# copies them to docs/pictures/: every window, the tray menu and the
# installer. Needs the builds (bash tools/test-all.sh, or the win32 preset
# and the host preset configured with -DORDAVI_WINDOWS_BUILDS).
#
#   bash tools/readme-pictures.sh
set -euo pipefail
cd "$(dirname "$0")/.."
rm -f build/screenshots/readme/*.png
bash e2e/scenarios.sh readme_pictures
bash e2e/scenarios.sh run_history  # the missed reminder's notice (a restart over a minute)
# The installer is a 32-bit program: where it cannot run, its picture stays.
bash e2e/scenarios.sh install || [ $? = 77 ]
mkdir -p docs/pictures
cp build/screenshots/readme/*.png docs/pictures/
ls -l docs/pictures
