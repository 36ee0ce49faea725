#!/usr/bin/env bash
# Refreshes the pictures of the user guide (docs/images) from the built program: a fresh
# demonstration account set, one `hemu --grab` per window. Runs without a display.
set -euo pipefail

build=${1:-build}
root=$(cd "$(dirname "$0")/.." && pwd)
images="$root/docs/images"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$build/src/hemu-cli" demo "$work/demo.xb" >/dev/null
mkdir -p "$images"

# window name (and #page for a page other than the first) → picture; the windows the guide shows.
shots=(
  "frmMain:main"
  "frmPasswordDlg:login"
  "frmSplash:about"
  "frNameCard:service"
  "frmEdSelfPsd:ownpassword"
  "frmEdRight:rights"
  "frmEdUserInfo:userinfo"
  "frmSetDisplayFormat:displayformat"
  "frmScanUselessRecords:scan"
  "frmSetTabItemNo:renumber"
  "frmBaseInfo:baseinfo"
  "frmBaseInfo#tsVendors:baseinfo-vendors"
  "frmBaseInfo#tsCustoms:baseinfo-customers"
  "frmBaseInfo#tsEmployees:baseinfo-employees"
  "frmBaseInfo#tsDepartments:baseinfo-departments"
  "frmBaseInfo#tsAreas:baseinfo-areas"
  "frmEdGoods:edgoods"
  "frmEdCata:edcata"
  "frmEdUnit:edunit"
  "frmEdInitial:edinitial"
  "frmPickGoods:pickgoods"
  "frmPickCata:pickcata"
  "frmPickCusts:pickcusts"
  "frmPickVendor:pickvendor"
  "frmPickEmps:pickemps"
  "frmPickArea:pickarea"
  "frmPickDepart:pickdepart"
  "frmPickDate:pickdate"
  "frmPickCustHasGoods:pickcusthasgoods"
  "frmPickDueGoodsOfCust:pickduegoods"
  "frmBusiness:business"
  "frmEdInvoices:edinvoices"
  "frmSetPrn:setprn"
  "frmLinePrintPreview:lineprintpreview"
  "frmReportsMenu:reportsmenu"
  "frmRepTotalwithoutMny:preview"
  "frmTotalTabs:totaltabs"
  "frmSearchTabs:searchtabs"
  "frmBrTotal:brtotal"
  "frmBrCustsDue:brcustsdue"
  "frmCustStatement:custstatement"
  "frmCustStatement#tsAge:custstatement-age"
  "frmRepCustStatement:custstatement-print"
  "frmRestoreBackup:restorebackup"
  "frmImport:import"
  "frmBrGoodFlow:goodsflow"
  "frmMarketInfo:marketinfo"
  "frmMarketInfo#采购金额:marketinfo-amounts"
  "frmStoreCheck:storecheck"
  "frmBuyManage:buymanage"
  "frmProfits:profits"
  "frmProfits#统计分析:profits2"
)
for shot in "${shots[@]}"; do
  window=${shot%%:*}
  name=${shot#*:}
  page=()
  if [[ $window == *#* ]]; then
    page=(--page "${window#*#}")
    window=${window%%#*}
  fi
  QT_QPA_PLATFORM=offscreen "$build/src/hemu" --user 管理员 --password "" --open "$window" "${page[@]}" \
    --grab "$images/$name.png" "$work/demo.xb" 2>/dev/null
  echo "docs/images/$name.png ($window${page[1]:+ ${page[1]}})"
done
