#include "store/builtins.h"

#include "base/text_case.h"
#include "resources/string_ids.h"
#include "store/core_context.h"

namespace tessarin {

namespace {

using namespace str;

struct CBuiltInType {
    uint8_t key;
    int name;
    int labels[kFieldCount];
    uint16_t icon;
    uint16_t mask;  // bit i masks field i + 1
};

constexpr uint16_t Field(int n) {
    return static_cast<uint16_t>(1u << (n - 1));
}

constexpr int kF3 = kFieldLabel3, kF4 = kFieldLabel4, kF5 = kFieldLabel5, kF6 = kFieldLabel6;
constexpr int kDesc = kLabelDescription;

constexpr CBuiltInType kTypes[] = {
    {1,
     kTypeBankAccts,
     {kDesc, kLabelAccountNumber, kLabelPin, kLabelName, kLabelBranch, kLabelPhoneNumber},
     2,
     Field(3)},
    {2, kTypeBirthdays, {kDesc, kLabelDate, kF3, kF4, kF5, kF6}, 23, 0},
    {3, kTypeCallingCards, {kDesc, kLabelAccessNumber, kLabelPin, kF4, kF5, kF6}, 11, Field(3)},
    {4,
     kTypeClothesSize,
     {kDesc, kLabelShirtSize, kLabelPantSize, kLabelShoeSize, kLabelDressSize, kF6},
     29,
     0},
    {5, kTypeCombinations, {kDesc, kLabelCode, kF3, kF4, kF5, kF6}, 22, Field(2)},
    {6,
     kTypeCreditCards,
     {kDesc, kLabelCardNumber, kLabelExpDate, kLabelName, kLabelPin, kLabelBank},
     3,
     Field(2) | Field(5)},
    {7,
     kTypeEmailAccts,
     {kDesc, kLabelUsername, kLabelPassword, kLabelPop3Host, kLabelSmtpHost, kF6},
     18,
     Field(3)},
    {8, kTypeEmergencyInfo, {kDesc, kLabelPhoneNumber, kF3, kF4, kF5, kF6}, 17, 0},
    {9, kTypeFrequentFlyer, {kDesc, kLabelNumber, kLabelName, kLabelDate, kF5, kF6}, 16, 0},
    {10,
     kTypeIdentification,
     {kDesc, kLabelNumber, kLabelName, kLabelDate, kF5, kF6},
     24,
     Field(2)},
    {11,
     kTypeInsurance,
     {kDesc, kLabelPolicyNumber, kLabelGroupNumber, kLabelInsured, kLabelDate, kLabelPhoneNumber},
     34,
     Field(2)},
    {12, kTypeMemberships, {kDesc, kLabelMemberAccount, kLabelName, kLabelDate, kF5, kF6}, 35, 0},
    {13, kTypePhoneNumbers, {kDesc, kLabelPhoneNumber, kF3, kF4, kF5, kF6}, 32, 0},
    {14,
     kTypePrescriptions,
     {kDesc, kLabelRxNumber, kLabelName, kLabelDoctor, kLabelPharmacy, kLabelPhoneNumber},
     9,
     0},
    {15,
     kTypeSerialNumbers,
     {kDesc, kLabelSerialNumber, kLabelPurchaseDate, kLabelReseller, kF5, kF6},
     10,
     0},
    {16, kTypeVehicleInfo, {kDesc, kLabelLicPlate, kLabelVin, kF4, kF5, kF6}, 14, 0},
    {17, kTypeVoiceMail, {kDesc, kLabelAccessCode, kLabelPin, kF4, kF5, kF6}, 15, Field(3)},
    {18,
     kTypeWebLogins,
     {kDesc, kLabelUsername, kLabelPassword, kLabelUrl, kF5, kF6},
     21,
     Field(3)},
};

struct CBuiltInCategory {
    uint8_t key;
    int name;
};

constexpr CBuiltInCategory kCategories[] = {{51, kCategoryBusiness}, {52, kCategoryPersonal}};

std::unique_ptr<CBaseItem> MakeType(CItemList& types, const CBuiltInType& t) {
    auto item = types.CreateItem();
    auto& type = static_cast<CTypeItem&>(*item);
    const CStringTable& strings = types.Strings();
    type.SetName(strings.Get(t.name));
    for (int i = 0; i < kFieldCount; ++i)
        type.SetValue(i, strings.Get(t.labels[i]));
    type.m_icon = t.icon;
    type.m_maskBits = t.mask;
    return item;
}

}  // namespace

void CreateBuiltInTypes(CItemList& types) {
    for (const CBuiltInType& t : kTypes) {
        auto item = MakeType(types, t);
        item->m_key = ItemKey::BuiltIn(t.key);
        types.Add(std::move(item));
    }
}

std::unique_ptr<CBaseItem> NewTypeLikeBuiltIn(CItemList& types, std::string_view name) {
    for (const CBuiltInType& t : kTypes)
        if (EqualsNoCase(types.Strings().Get(t.name), name)) {
            auto item = MakeType(types, t);
            item->m_modified = true;
            return item;
        }
    return nullptr;
}

void CreateBuiltInCategories(CItemList& categories) {
    for (const CBuiltInCategory& c : kCategories) {
        auto item = categories.CreateItem();
        auto& category = static_cast<CCategoryItem&>(*item);
        category.m_key = ItemKey::BuiltIn(c.key);
        category.SetName(categories.Strings().Get(c.name));
        categories.Add(std::move(item));
    }
}

}  // namespace tessarin
