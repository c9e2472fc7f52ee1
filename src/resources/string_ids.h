#pragma once

// Names of the string-table numbers, so that code never quotes a bare number. The texts themselves
// live in string_table_data.cpp.
//
// Numbers the system itself gives keep them. The program's own further texts have ranges:
//   19000-19999  the core's own messages
//   20000-20999  the command-line tool
//   21000-21999  the desktop program's shell: start-up, login, locking, main frame, menus
//   22000-22999  the record list and the details pane
//   23000-23999  the record, type and category dialogs, the password generator dialog
//   24000-24999  find, the clipboard and the printed report
//   25000-25999  the file commands, users and sync
//   26000-26099  imports from and exports for other password managers
//   26100-26199  what keeps files, local channels and loaded libraries the user's own
//   26200-26299  the search field and the status bar's counts
//   28000-28999  system errors in words, password health, the password field
//   32768-34999  command prompts, numbered as their commands

namespace tessarin::str {

// Program, commands, dialogs and messages.
inline constexpr int kCompanyKey = 100;
inline constexpr int kProgramName = 101;
inline constexpr int kCopyFieldMenuText = 103;
inline constexpr int kBackupTitle = 105;
inline constexpr int kBackupSucceeded = 106;
inline constexpr int kRestoreConfirm = 107;
inline constexpr int kRestoreTitle = 108;
inline constexpr int kDocumentTemplate = 128;
inline constexpr int kDeleteTypeConfirm = 129;
inline constexpr int kShowDetails = 130;
inline constexpr int kHideDetails = 131;
inline constexpr int kUnfiled = 134;
inline constexpr int kDeleteItemConfirm = 135;
inline constexpr int kTypeColumnTitle = 136;
inline constexpr int kPasswordConfirmMismatch = 137;
inline constexpr int kOldPasswordIncorrect = 138;
inline constexpr int kWrongPassword = 139;
inline constexpr int kTypeNameMissing = 140;
inline constexpr int kTypeNameExists = 141;
inline constexpr int kAllTypes = 148;
inline constexpr int kEditTypesEntry = 149;
inline constexpr int kNewButton = 150;
inline constexpr int kEditButton = 151;
inline constexpr int kDeleteButton = 152;
inline constexpr int kCategoryLabel = 154;
inline constexpr int kPasswordTooWeak = 155;
inline constexpr int kDuplicateButton = 156;
inline constexpr int kDroppedFileTypeUnknown = 158;
inline constexpr int kDeleteItemsConfirm = 159;
inline constexpr int kSetSamePasswordOnHandheld = 160;
inline constexpr int kImportFileConfirm = 161;
inline constexpr int kUserGuideFileName = 162;
inline constexpr int kFaqPageAddress = 163;
inline constexpr int kSupportPageAddress = 164;
inline constexpr int kDownloadPageAddress = 165;
inline constexpr int kErrorSavingDatabase = 168;
inline constexpr int kChooseDatabaseLocation = 169;
inline constexpr int kErrorMovingDatabase = 170;
inline constexpr int kDatabaseAlreadyExists = 171;
inline constexpr int kDatabaseVolumeUnavailable = 172;
inline constexpr int kCategoryPersonal = 175;
inline constexpr int kCategoryBusiness = 176;
inline constexpr int kAllCategories = 177;
inline constexpr int kEditCategoriesEntry = 178;
inline constexpr int kEditCategoriesTitle = 179;
inline constexpr int kImportFutureVersion = 180;
inline constexpr int kTypesLabel = 181;
inline constexpr int kNoCharacterSet = 182;
inline constexpr int kCategoryColumnTitle = 183;
inline constexpr int kShowColumnFor = 184;
inline constexpr int kMaskButton = 185;
inline constexpr int kUnmaskButton = 186;
inline constexpr int kMaskMenuText = 187;
inline constexpr int kUnmaskMenuText = 188;
inline constexpr int kApplyColumnsToAllViews = 189;
inline constexpr int kNoteLabel = 190;
inline constexpr int kErrorInitializingPlatform = 191;
inline constexpr int kSyncButton = 192;
inline constexpr int kDeviceNotConnected = 193;
inline constexpr int kConnectHandheldToSync = 194;

// Print report.
inline constexpr int kPrintReportHeader = 300;
inline constexpr int kPrintPageNumber = 301;

// File dialogs.
inline constexpr int kCsvSaveFilter = 400;
inline constexpr int kCsvOpenFilter = 401;
inline constexpr int kExportFileTitle = 402;
inline constexpr int kImportFileTitle = 403;
inline constexpr int kVexSaveFilter = 404;
inline constexpr int kVexOpenFilter = 405;

// Export, import and clipboard messages.
inline constexpr int kExportSucceeded = 600;
inline constexpr int kErrorCreatingExportFile = 602;
inline constexpr int kErrorWritingExportFile = 603;
inline constexpr int kErrorReadingImportFile = 605;
inline constexpr int kImportNotText = 606;
inline constexpr int kErrorOpeningClipboard = 607;
inline constexpr int kImportWrongPassword = 608;

// Names and field labels of the built-in types and categories.
inline constexpr int kTypeInsurance = 2003;
inline constexpr int kTypeVehicleInfo = 2004;
inline constexpr int kLabelDescription = 2005;
inline constexpr int kLabelLicPlate = 2008;
inline constexpr int kLabelVin = 2009;
inline constexpr int kTypeBankAccts = 2010;
inline constexpr int kLabelName = 2011;
inline constexpr int kLabelAccountNumber = 2012;
inline constexpr int kTypeCallingCards = 2013;
inline constexpr int kLabelAccessNumber = 2014;
inline constexpr int kLabelPin = 2015;
inline constexpr int kTypeCreditCards = 2016;
inline constexpr int kLabelCardNumber = 2017;
inline constexpr int kLabelExpDate = 2018;
inline constexpr int kTypeClothesSize = 2019;
inline constexpr int kLabelShirtSize = 2020;
inline constexpr int kLabelPantSize = 2021;
inline constexpr int kLabelShoeSize = 2022;
inline constexpr int kLabelDressSize = 2023;
inline constexpr int kTypeEmailAccts = 2024;
inline constexpr int kLabelUsername = 2025;
inline constexpr int kLabelPassword = 2026;
inline constexpr int kLabelSmtpHost = 2027;
inline constexpr int kLabelPop3Host = 2028;
inline constexpr int kTypeIdentification = 2029;
inline constexpr int kLabelNumber = 2030;
inline constexpr int kLabelInsured = 2031;
inline constexpr int kLabelPolicyNumber = 2032;
inline constexpr int kLabelDate = 2033;
inline constexpr int kLabelPhoneNumber = 2035;
inline constexpr int kTypeMemberships = 2036;
inline constexpr int kLabelMemberAccount = 2037;
inline constexpr int kTypeSerialNumbers = 2038;
inline constexpr int kLabelPurchaseDate = 2041;
inline constexpr int kLabelReseller = 2042;
inline constexpr int kTypeVoiceMail = 2043;
inline constexpr int kLabelAccessCode = 2044;
inline constexpr int kTypeWebLogins = 2045;
inline constexpr int kLabelUrl = 2046;
inline constexpr int kLabelBranch = 2047;
inline constexpr int kTypeCombinations = 2048;
inline constexpr int kLabelCode = 2049;
inline constexpr int kLabelBank = 2050;
inline constexpr int kTypeFrequentFlyer = 2051;
inline constexpr int kLabelGroupNumber = 2052;
inline constexpr int kTypePrescriptions = 2053;
inline constexpr int kLabelRxNumber = 2054;
inline constexpr int kLabelDoctor = 2055;
inline constexpr int kLabelPharmacy = 2056;
inline constexpr int kLabelSerialNumber = 2057;
inline constexpr int kTypePhoneNumbers = 2058;
inline constexpr int kTypeBirthdays = 2059;
inline constexpr int kTypeEmergencyInfo = 2060;

// Default field labels.
inline constexpr int kFieldLabel1 = 3000;
inline constexpr int kFieldLabel2 = 3001;
inline constexpr int kFieldLabel3 = 3002;
inline constexpr int kFieldLabel4 = 3003;
inline constexpr int kFieldLabel5 = 3004;
inline constexpr int kFieldLabel6 = 3005;

// Status-bar prompts of commands.
inline constexpr int kPromptImportCryptinfo = 32790;
inline constexpr int kPromptImportTopSecret = 32791;
inline constexpr int kPromptImportMobileSafe = 32792;
inline constexpr int kPromptImportYaps = 32793;
inline constexpr int kPromptImportEWallet = 32794;
inline constexpr int kPromptAutoLock = 32795;
inline constexpr int kPromptLock = 32880;
inline constexpr int kPromptPreferences = 32881;

// The command-line tool's own texts.
inline constexpr int kCliUsage = 20000;
inline constexpr int kCliCommandsHeading = 20001;
inline constexpr int kCliHelpHint = 20002;
inline constexpr int kCliUnknownCommand = 20003;
inline constexpr int kCliNoDatabase = 20004;
inline constexpr int kCliDatabaseExists = 20005;
inline constexpr int kCliDatabaseMissing = 20006;
inline constexpr int kCliDatabaseUnreadable = 20007;
inline constexpr int kCliPasswordPrompt = 20008;
inline constexpr int kCliOldPasswordPrompt = 20009;
inline constexpr int kCliNewPasswordPrompt = 20010;
inline constexpr int kCliConfirmPasswordPrompt = 20011;
inline constexpr int kCliNoPasswordInput = 20012;
inline constexpr int kCliNotWindows1252 = 20013;
inline constexpr int kCliCreated = 20014;
inline constexpr int kCliPasswordSet = 20015;
inline constexpr int kCliPasswordRemoved = 20016;
inline constexpr int kCliUnknownOption = 20017;
inline constexpr int kCliUnexpectedArgument = 20018;
inline constexpr int kCliOptionNeedsValue = 20019;
inline constexpr int kCliInfoVersion = 20020;
inline constexpr int kCliInfoPasswordSet = 20021;
inline constexpr int kCliInfoTypes = 20022;
inline constexpr int kCliInfoCategories = 20023;
inline constexpr int kCliInfoRecords = 20024;
inline constexpr int kCliInfoHandheldName = 20025;
inline constexpr int kCliYes = 20026;
inline constexpr int kCliNo = 20027;
inline constexpr int kCliOptionsHeading = 20028;
inline constexpr int kCliSummaryCreate = 20040;
inline constexpr int kCliSummaryInfo = 20041;
inline constexpr int kCliSummaryDump = 20042;
inline constexpr int kCliSummaryPasswd = 20043;
inline constexpr int kCliLockTimeout = 20029;
inline constexpr int kCliMoved = 20030;
inline constexpr int kCliSummaryMove = 20044;
inline constexpr int kCliOptionNoDefaults = 20050;
inline constexpr int kCliOptionSetPassword = 20051;
inline constexpr int kCliOptionHelp = 20052;
inline constexpr int kCliOptionDb = 20053;
// generate
inline constexpr int kCliSummaryGenerate = 20100;
inline constexpr int kCliOptionLength = 20101;
inline constexpr int kCliOptionSets = 20102;
inline constexpr int kCliOptionPronounceable = 20103;
inline constexpr int kCliOptionCount = 20104;
inline constexpr int kCliUnknownSet = 20105;

// icons
inline constexpr int kCliIconLine = 20200;
inline constexpr int kCliIconBitmapLine = 20201;
inline constexpr int kCliIconFileMissing = 20202;
inline constexpr int kCliIconFileInvalid = 20203;
inline constexpr int kCliIconFileUnreadable = 20204;
inline constexpr int kCliNoCustomIcons = 20205;
inline constexpr int kCliIconNotDecoded = 20206;
inline constexpr int kCliPictureNotWritten = 20207;
inline constexpr int kCliBadSize = 20208;
inline constexpr int kCliFolderNotCreated = 20209;
inline constexpr int kCliSummaryIcons = 20240;
inline constexpr int kCliOptionSize = 20250;
inline constexpr int kCliOptionJson = 20251;
inline constexpr int kCliOptionExport = 20252;

// ls and show
inline constexpr int kCliSummaryLs = 20400;
inline constexpr int kCliSummaryShow = 20401;
inline constexpr int kCliOptionType = 20402;
inline constexpr int kCliOptionCategory = 20403;
inline constexpr int kCliOptionSort = 20404;
inline constexpr int kCliOptionFind = 20405;
inline constexpr int kCliOptionCase = 20406;
inline constexpr int kCliOptionWord = 20407;
inline constexpr int kCliOptionUnmask = 20408;
inline constexpr int kCliOptionRowsJson = 20409;
inline constexpr int kCliNoSuchType = 20410;
inline constexpr int kCliNoSuchCategory = 20411;
inline constexpr int kCliBadSortColumn = 20412;
inline constexpr int kCliBadRowNumber = 20413;
inline constexpr int kCliNoSuchRow = 20414;
inline constexpr int kCliRowNumberHeading = 20415;
inline constexpr int kCliNoteHeading = 20416;

// users and the database folder
inline constexpr int kCliDatabaseNotFoundAt = 20500;
inline constexpr int kCliNoUsers = 20501;
inline constexpr int kCliNoSuchUser = 20502;
inline constexpr int kCliOptionUser = 20503;
inline constexpr int kCliSummaryUsers = 20504;
inline constexpr int kCliUsersHeading = 20505;
inline constexpr int kCliUserLine = 20506;

// The desktop program's shell.
inline constexpr int kEnterPasswordTitle = 21000;
inline constexpr int kEnterPasswordForUser = 21001;
inline constexpr int kEnterPassword = 21002;
inline constexpr int kPasswordCaseSensitive = 21003;
inline constexpr int kOkButton = 21004;
inline constexpr int kQuitButton = 21005;
inline constexpr int kUserLabel = 21006;
inline constexpr int kSetPasswordTitle = 21007;
inline constexpr int kOldPasswordLabel = 21008;
inline constexpr int kNewPasswordLabel = 21009;
inline constexpr int kConfirmPasswordLabel = 21010;
inline constexpr int kCancelButton = 21011;
inline constexpr int kWelcomeTitle = 21012;
inline constexpr int kWelcomeText = 21013;
inline constexpr int kWelcomeRequirementsLine = 21014;
inline constexpr int kAutoLockTitle = 21015;
inline constexpr int kAutoLockCheck = 21016;
inline constexpr int kAutoLockMinutes = 21017;
inline constexpr int kDatabaseNotFoundAt = 21018;
inline constexpr int kRetryButton = 21019;
inline constexpr int kChangeButton = 21020;
inline constexpr int kAboutTitle = 21021;
inline constexpr int kAboutVersion = 21022;
inline constexpr int kAboutNotice = 21023;
inline constexpr int kGettingStartedTitle = 21024;
inline constexpr int kNextButton = 21025;
inline constexpr int kDownloadTrialButton = 21026;
inline constexpr int kGettingStartedPage1 = 21027;  // to 21030 for page 4
inline constexpr int kReady = 21031;
inline constexpr int kCapsLockPane = 21032;
inline constexpr int kNumLockPane = 21033;
inline constexpr int kScrollLockPane = 21034;
inline constexpr int kPlainText = 21035;
inline constexpr int kPasswordNotWindows1252 = 21036;
inline constexpr int kCannotOpenFile = 21037;
inline constexpr int kRecordListName = 21040;
inline constexpr int kPasswordFieldName = 21041;
inline constexpr int kMinutesFieldName = 21042;
// The lock command's mark, the Preferences dialog, the tray, a start that cannot read the
// database.
inline constexpr int kLockedTitle = 21300;
inline constexpr int kPreferencesTitle = 21301;
inline constexpr int kPrefLockGroup = 21302;
inline constexpr int kPrefAutoLock = 21303;
inline constexpr int kPrefMinutes = 21304;
inline constexpr int kPrefLockOnScreenLock = 21305;
inline constexpr int kPrefLockOnSuspend = 21306;
inline constexpr int kPrefLockWhenMinimized = 21307;
inline constexpr int kPrefClipboardGroup = 21308;
inline constexpr int kPrefClearSeconds = 21309;
inline constexpr int kPrefSeconds = 21310;
inline constexpr int kPrefClearUnmasked = 21311;
inline constexpr int kPrefBackupsGroup = 21312;
inline constexpr int kPrefBackupsKept = 21313;
inline constexpr int kPrefBackups = 21314;
inline constexpr int kPrefWindowGroup = 21315;
inline constexpr int kPrefStartMinimized = 21316;
inline constexpr int kPrefMinimizeToTray = 21317;
inline constexpr int kPrefSetByAdministrator = 21318;
inline constexpr int kPrefAdministratorMinutes = 21319;
inline constexpr int kPrefAdministratorLock = 21320;
inline constexpr int kPrefNoPassword = 21321;
inline constexpr int kPrefNoTray = 21322;
inline constexpr int kPrefMinutesName = 21323;
inline constexpr int kPrefSecondsName = 21324;
inline constexpr int kPrefBackupsName = 21325;
inline constexpr int kTrayShow = 21330;
inline constexpr int kTrayLock = 21331;
inline constexpr int kTrayQuit = 21332;
inline constexpr int kStartFailureTitle = 21340;
inline constexpr int kStartFailureText = 21341;
inline constexpr int kStartFailureNewest = 21342;
inline constexpr int kStartFailureOther = 21343;
inline constexpr int kStartFailureNoBackup = 21344;
inline constexpr int kTryAgainButton = 21345;
inline constexpr int kRestoreButton = 21346;

// The record list and the details pane.
inline constexpr int kShowColumnsTitle = 22000;
inline constexpr int kShowTypeColumn = 22001;
inline constexpr int kShowCategoryColumn = 22002;
inline constexpr int kShowFieldColumn1 = 22003;  // to 22008 for field 6
inline constexpr int kShowNoteColumn = 22009;
inline constexpr int kCopyButtonName = 22010;
inline constexpr int kDetailsPaneName = 22011;
inline constexpr int kIconColumnName = 22012;
inline constexpr int kNoteColumnName = 22013;
inline constexpr int kRowColorTitle = 22014;
inline constexpr int kFontTitle = 22015;
// The record, type and category dialogs and the password generator dialog.
inline constexpr int kDetailViewTitle = 23000;
inline constexpr int kTypeLabel = 23001;
inline constexpr int kCustomButton = 23002;
inline constexpr int kPasswordButton = 23003;
inline constexpr int kIconButton = 23004;
inline constexpr int kIconPictureName = 23005;
inline constexpr int kMaskedMarkerName = 23006;
inline constexpr int kShowMaskedFields = 23007;
inline constexpr int kCopySuffix = 23008;
inline constexpr int kCustomizeRecordTitle = 23009;
inline constexpr int kResetButton = 23010;
inline constexpr int kMaskCheck = 23011;
inline constexpr int kMaskCheckName = 23012;
inline constexpr int kChooseIconTitle = 23013;
inline constexpr int kIconGridName = 23014;
inline constexpr int kIconScrollName = 23015;
inline constexpr int kIconCellName = 23016;
inline constexpr int kEditTypesTitle = 23017;
inline constexpr int kDoneButton = 23018;
inline constexpr int kDefineTypeTitle = 23019;
inline constexpr int kDefineCategoryTitle = 23020;
inline constexpr int kNameLabel = 23021;
inline constexpr int kTypesListName = 23022;
inline constexpr int kCategoriesListName = 23023;
inline constexpr int kGeneratePasswordTitle = 23024;
inline constexpr int kGeneratedPasswordLabel = 23025;
inline constexpr int kLengthLabel = 23026;
inline constexpr int kPronounceableCheck = 23027;
inline constexpr int kCharacterSetsGroup = 23028;
inline constexpr int kSetLowerCheck = 23029;
inline constexpr int kSetCapitalsCheck = 23030;
inline constexpr int kSetDigitsCheck = 23031;
inline constexpr int kSetSymbolsCheck = 23032;
inline constexpr int kSetAccentedCheck = 23033;
inline constexpr int kGenerateButton = 23034;
inline constexpr int kStrengthLabel = 23035;
inline constexpr int kStrengthBits = 23036;
inline constexpr int kStrengthVeryWeak = 23037;
inline constexpr int kStrengthWeak = 23038;
inline constexpr int kStrengthReasonable = 23039;
inline constexpr int kStrengthStrong = 23040;
inline constexpr int kStrengthVeryStrong = 23041;
inline constexpr int kCharacterNotStorable = 23042;
inline constexpr int kTextTooLong = 23043;
inline constexpr int kRecordTooLarge = 23044;
inline constexpr int kNoteLabelPlain = 23045;
inline constexpr int kFieldLabelN = 23046;
inline constexpr int kStatusLineName = 23047;
// The file commands, users and sync.
inline constexpr int kExportTitle = 25000;
inline constexpr int kExportChooseScope = 25001;
inline constexpr int kExportAllRecords = 25002;
inline constexpr int kExportCurrentView = 25003;
inline constexpr int kExportSelectedRecords = 25004;
inline constexpr int kGetPasswordTitle = 25005;
inline constexpr int kImportPasswordText = 25006;
inline constexpr int kExportPasswordText = 25007;
inline constexpr int kFilePasswordLabel = 25008;
inline constexpr int kFileConfirmLabel = 25009;
inline constexpr int kProgressReading = 25010;
inline constexpr int kProgressImporting = 25011;
inline constexpr int kProgressWriting = 25012;
inline constexpr int kProgressSaving = 25013;
inline constexpr int kProgressName = 25014;
inline constexpr int kExportScopeName = 25015;
inline constexpr int kLocationNotStorable = 25016;
inline constexpr int kLocationNotRemembered = 25017;

// The record view beyond its first form: the search field and the counts of the status bar.
inline constexpr int kSearchName = 26200;
inline constexpr int kSearchPlaceholder = 26201;
inline constexpr int kRecordsListedOf = 26202;
inline constexpr int kCopyLabelItem = 26203;

// Texts of the application framework, under the framework's own numbers.
inline constexpr int kParseIntRange = 61714;

// The exchange commands of the command-line tool, and the exchange's own messages.
inline constexpr int kCliSummaryExport = 20300;
inline constexpr int kCliSummaryImport = 20301;
inline constexpr int kCliSummaryBackup = 20302;
inline constexpr int kCliSummaryRestore = 20303;
inline constexpr int kCliOptionExportFormat = 20310;
inline constexpr int kCliOptionProtect = 20311;
inline constexpr int kCliOptionImportFormat = 20312;
inline constexpr int kCliOptionYes = 20313;
inline constexpr int kCliFilePasswordPrompt = 20320;
inline constexpr int kCliConfirmFilePasswordPrompt = 20321;
inline constexpr int kCliImportPasswordPrompt = 20322;
inline constexpr int kCliUnknownFormat = 20323;
inline constexpr int kCliCsvNotProtected = 20324;
inline constexpr int kCliImported = 20325;
inline constexpr int kCliRestored = 20326;
inline constexpr int kCliRestoreQuestion = 20327;
inline constexpr int kCliRestoreNeedsYes = 20328;
inline constexpr int kCliNothingRestored = 20329;
inline constexpr int kCliExportIsDatabase = 20330;
inline constexpr int kImportRowsTooLarge = 20350;
inline constexpr int kImportZeroByte = 20351;
inline constexpr int kImportStoppedEarly = 20352;
inline constexpr int kImportCheckBlockDamaged = 20353;
inline constexpr int kRestoreRowCut = 20354;
inline constexpr int kNothingRestored = 20355;
inline constexpr int kRestoreNotKept = 20356;
inline constexpr int kRestoreKeptAt = 20357;

// The core's own messages.
inline constexpr int kPlatformFolderNotMoved = 19000;
inline constexpr int kResultLockTimeout = 19001;
inline constexpr int kResultKeyChanged = 19002;
inline constexpr int kResultUnreadable = 19003;
inline constexpr int kResultNotRead = 19004;
inline constexpr int kResultSaveSuspended = 19005;
inline constexpr int kResultNotSaved = 19006;
inline constexpr int kResultNestedFolders = 19007;

// Find and the printed report in the desktop program.
inline constexpr int kFindTitle = 24000;
inline constexpr int kFindLabel = 24001;
inline constexpr int kFindCaseSensitive = 24002;
inline constexpr int kFindWholeWord = 24003;
inline constexpr int kFindNote = 24004;
inline constexpr int kPrintNotDrawn = 24005;
// The clipboard.
inline constexpr int kClipboardSecretCleared = 24500;
inline constexpr int kClipboardNotCp1252 = 24501;

// The printed report written by the command-line tool.
inline constexpr int kCliSummaryPrint = 24900;
inline constexpr int kCliOptionPdf = 24901;
inline constexpr int kCliOptionPageSize = 24902;
inline constexpr int kCliPrintNeedsPdf = 24903;
inline constexpr int kCliBadPageSize = 24904;
inline constexpr int kCliPrintingDisabled = 24905;
inline constexpr int kCliReportNotDrawn = 24906;
inline constexpr int kCliReportNotWritten = 24907;
inline constexpr int kCliReportWritten = 24908;

// Imports from and exports for other password managers.
inline constexpr int kManagerKeePassXc = 26000;
inline constexpr int kManagerBitwarden = 26001;
inline constexpr int kManagerChrome = 26002;
inline constexpr int kManagerFirefox = 26003;
inline constexpr int kManagerOnePassword = 26004;
inline constexpr int kManagerLastPass = 26005;
inline constexpr int kManagerProtonPass = 26006;
inline constexpr int kManagerImportDone = 26010;
inline constexpr int kManagerCharactersReplaced = 26011;
inline constexpr int kManagerReplacedEntry = 26012;
inline constexpr int kManagerNotThatExport = 26013;
inline constexpr int kManagerEncryptedExport = 26014;
inline constexpr int kImportUnreadableFrom = 26015;
inline constexpr int kManagerExportSucceeded = 26020;
inline constexpr int kManagerExportInClear = 26021;
inline constexpr int kManagerOpenFilter = 26030;
inline constexpr int kManagerSaveFilter = 26031;
inline constexpr int kManagerExportTitle = 26032;

// What keeps files, local channels and loaded libraries the user's own.
inline constexpr int kReplaceExistingFile = 26100;
inline constexpr int kPlatformLibraryRefused = 26101;
inline constexpr int kReportNotWritten = 26102;

// What a system error means, in words (28000-28099).
inline constexpr int kErrorDetailLine = 28000;
inline constexpr int kErrorWordsWithCode = 28001;
inline constexpr int kErrorNoSpace = 28010;
inline constexpr int kErrorNoSpaceAt = 28011;
inline constexpr int kErrorQuota = 28012;
inline constexpr int kErrorQuotaAt = 28013;
inline constexpr int kErrorAccess = 28014;
inline constexpr int kErrorAccessAt = 28015;
inline constexpr int kErrorNotPermitted = 28016;
inline constexpr int kErrorNotPermittedAt = 28017;
inline constexpr int kErrorReadOnly = 28018;
inline constexpr int kErrorReadOnlyAt = 28019;
inline constexpr int kErrorNoEntry = 28020;
inline constexpr int kErrorNoEntryAt = 28021;
inline constexpr int kErrorInputOutput = 28022;
inline constexpr int kErrorInputOutputAt = 28023;
inline constexpr int kErrorNameTooLong = 28024;
inline constexpr int kErrorNameTooLongAt = 28025;
inline constexpr int kErrorTooManyOpen = 28026;
inline constexpr int kErrorTooLarge = 28028;
inline constexpr int kErrorTooLargeAt = 28029;
inline constexpr int kErrorNotFolder = 28030;
inline constexpr int kErrorNotFolderAt = 28031;
inline constexpr int kErrorIsFolder = 28032;
inline constexpr int kErrorIsFolderAt = 28033;
inline constexpr int kErrorLink = 28034;
inline constexpr int kErrorLinkAt = 28035;
inline constexpr int kErrorExists = 28036;
inline constexpr int kErrorExistsAt = 28037;
inline constexpr int kErrorBusy = 28038;
inline constexpr int kErrorBusyAt = 28039;
inline constexpr int kErrorNoMemory = 28040;
inline constexpr int kErrorVolumeGone = 28042;
inline constexpr int kErrorVolumeGoneAt = 28043;

// Password health (28200-28299).
inline constexpr int kHealthEmpty = 28200;
inline constexpr int kHealthWeak = 28201;
inline constexpr int kHealthReusedInRow = 28202;
inline constexpr int kHealthReusedInRows = 28203;
inline constexpr int kHealthNoFindings = 28204;
inline constexpr int kHealthFindingLine = 28205;
inline constexpr int kCliSummaryHealth = 28210;
inline constexpr int kHealthTitle = 28220;
inline constexpr int kHealthRecordColumn = 28221;
inline constexpr int kHealthFieldColumn = 28222;
inline constexpr int kHealthReasonColumn = 28223;
inline constexpr int kHealthNote = 28224;
inline constexpr int kHealthListName = 28225;
inline constexpr int kHealthCloseButton = 28226;

// The password field (28300-28399).
inline constexpr int kCapsLockWarning = 28300;
inline constexpr int kShowPasswordButton = 28301;
inline constexpr int kHidePasswordButton = 28302;

}  // namespace tessarin::str
