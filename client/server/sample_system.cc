// The sample system a new store starts with. Times are fixed so that result
// files stay the same from run to run.
#include "seed.h"

namespace pvxjsim {

const char* SampleSystemDefinition() {
  return R"json({
  "system": { "name": "PVXSYS", "group": "PVXGRP" },
  "roles": [
    { "name": "Clerk", "description": "Enters and completes requests" },
    { "name": "Approver", "description": "Approves credit and travel" },
    { "name": "Manager", "description": "Leads a team" }
  ],
  "organizations": [
    { "name": "Head Office", "manager": "ADMIN" },
    { "name": "Sales", "manager": "USER1", "parent": "Head Office" },
    { "name": "Finance", "manager": "USER1", "parent": "Head Office" }
  ],
  "persons": [
    { "userId": "ADMIN", "password": "password", "firstName": "Ada", "lastName": "Admin",
      "description": "System administrator", "phone": "100", "organization": "Head Office",
      "administrator": true, "level": 9, "roles": ["Manager"] },
    { "userId": "USER1", "password": "pw1", "firstName": "Anna", "lastName": "Berg",
      "description": "Team lead", "phone": "201", "secondPhone": "202",
      "organization": "Sales", "manager": "ADMIN", "level": 5,
      "roles": ["Manager", "Approver"] },
    { "userId": "USER2", "password": "pw2", "firstName": "Carl", "middleName": "J.",
      "lastName": "Dietz", "phone": "211", "organization": "Sales", "manager": "USER1",
      "substitute": "USER3", "level": 2, "roles": ["Clerk"] },
    { "userId": "USER3", "password": "pw3", "firstName": "Eva", "lastName": "Franke",
      "phone": "212", "organization": "Sales", "manager": "USER1", "level": 2,
      "roles": ["Clerk"] },
    { "userId": "USER4", "password": "pw4", "firstName": "Gert", "lastName": "Hahn",
      "phone": "221", "organization": "Finance", "manager": "USER1", "level": 3,
      "roles": ["Approver", "Clerk"] },
    { "userId": "USER5", "password": "pw5", "firstName": "Ida", "lastName": "Jung",
      "description": "Travel desk, on leave", "phone": "231", "organization": "Head Office",
      "manager": "ADMIN", "substitute": "USER3", "absent": true, "level": 1,
      "categories": ["Administration"], "roles": ["Clerk"] }
  ],
  "dataStructures": [
    { "name": "Customer", "description": "Who the request is for",
      "members": [
        { "name": "Name", "type": "STRING" },
        { "name": "Number", "type": "LONG" },
        { "name": "Address", "type": "STRING" } ] },
    { "name": "CreditData",
      "members": [
        { "name": "Customer", "type": "Customer" },
        { "name": "Amount", "type": "FLOAT" },
        { "name": "Currency", "type": "STRING" },
        { "name": "Approved", "type": "LONG" },
        { "name": "Comments", "type": "STRING", "arraySize": 3 } ] },
    { "name": "TravelData",
      "members": [
        { "name": "Traveller", "type": "STRING" },
        { "name": "Destination", "type": "STRING" },
        { "name": "Days", "type": "LONG" },
        { "name": "Cost", "type": "FLOAT" },
        { "name": "Approved", "type": "LONG" } ] },
    { "name": "OrderData",
      "members": [
        { "name": "OrderNumber", "type": "LONG" },
        { "name": "Customer", "type": "Customer" },
        { "name": "Items", "type": "STRING", "arraySize": 10 },
        { "name": "Total", "type": "FLOAT" },
        { "name": "Label", "type": "BINARY" },
        { "name": "Shipped", "type": "LONG" } ] }
  ],
  "programs": [
    { "name": "CollectData", "executable": "collect_data", "inContainer": "CreditData", "outContainer": "CreditData" },
    { "name": "AssessRisk", "inContainer": "CreditData", "outContainer": "CreditData", "unattended": true,
      "description": "Scores a request; runs without a person",
      "simulate": { "set": { "Comments[1]": "scored" }, "rc": 0 },
      "implementations": [
        { "platform": "Solaris", "kind": "exe", "path": "/opt/credit/assess_risk",
          "parameters": "--score", "windowStyle": "Invisible", "inUse": true, "timeout": 60 },
        { "platform": "WindowsNT", "kind": "dll", "path": "C:\\credit\\risk.dll",
          "entryPoint": "AssessRisk", "fenced": true } ] },
    { "name": "ApproveCredit", "executable": "approve_credit", "inContainer": "CreditData", "outContainer": "CreditData" },
    { "name": "NotifyCustomer", "executable": "notify_customer", "inContainer": "CreditData", "outContainer": "CreditData" },
    { "name": "EnterTravel", "executable": "enter_travel", "inContainer": "TravelData", "outContainer": "TravelData" },
    { "name": "ApproveTravel", "executable": "approve_travel", "inContainer": "TravelData", "outContainer": "TravelData" },
    { "name": "BookTravel", "executable": "book_travel", "inContainer": "TravelData", "outContainer": "TravelData" },
    { "name": "EnterOrder", "executable": "enter_order", "inContainer": "OrderData", "outContainer": "OrderData" },
    { "name": "CheckStock", "executable": "check_stock", "inContainer": "OrderData", "outContainer": "OrderData", "unattended": true },
    { "name": "ShipOrder", "executable": "ship_order", "inContainer": "OrderData", "outContainer": "OrderData" },
    { "name": "PrepareLabel", "executable": "prepare_label", "inContainer": "OrderData", "outContainer": "OrderData" },
    { "name": "PackItem", "inContainer": "OrderData", "outContainer": "OrderData",
      "inContainerAccess": true, "outContainerAccess": true, "structuresFromActivity": false,
      "implementations": [
        { "platform": "NotSet", "kind": "exe", "path": "pack_item" },
        { "platform": "HPUX", "kind": "external", "serviceName": "PACKSVC", "serviceType": "CICS",
          "invocationType": "EXCI", "executableName": "PACKPGM", "executableType": "COBOL",
          "timeoutPeriod": "TimeInterval", "timeoutInterval": 30, "mappingType": "XML",
          "forwardMappingFormat": "order.xsl", "forwardMappingParameters": "-v",
          "backwardMappingFormat": "reply.xsl", "backwardMappingParameters": "-q",
          "codePage": 1208, "localUser": false, "mappingRoutineCall": true,
          "securityRoutineCall": false } ] }
  ],
  "processTemplates": [
    { "name": "CreditRequest", "description": "Grant or refuse a customer credit",
      "category": "Finance", "documentation": "Credit handbook, chapter 2",
      "organization": "Finance", "role": "Approver", "processAdmin": "ADMIN",
      "auditMode": "Full", "inContainer": "CreditData", "outContainer": "CreditData",
      "icon": "credit.ico", "notifyAfter": 172800,
      "validFrom": "2024-01-01 00:00:00", "created": "2024-01-01 00:00:00",
      "activities": [
        { "name": "CollectData", "kind": "program", "program": "CollectData",
          "description": "Collect the customer's data", "staff": { "roles": ["Clerk"] },
          "layout": { "x": 40, "y": 40 } },
        { "name": "AssessRisk", "kind": "program", "program": "AssessRisk",
          "description": "Score the request", "staff": { "roles": ["Clerk"] },
          "layout": { "x": 120, "y": 120 } },
        { "name": "Approve", "kind": "program", "program": "ApproveCredit",
          "description": "Decide on large credits", "priority": 5,
          "staff": { "roles": ["Approver"] }, "manualStart": true, "manualExit": true,
          "exitCondition": "Approved = 0 OR Approved = 1",
          "notifyAfter": 3600, "secondNotifyAfter": 3600, "supportTools": ["Calculator"],
          "layout": { "x": 200, "y": 40 } },
        { "name": "Notify", "kind": "program", "program": "NotifyCustomer",
          "description": "Tell the customer", "staff": { "roles": ["Clerk"] },
          "startRule": "any", "layout": { "x": 280, "y": 120, "nameX": 300, "nameY": 90 } } ],
      "connectors": [
        { "from": "CollectData", "to": "AssessRisk" },
        { "from": "AssessRisk", "to": "Approve", "condition": "Amount > 10000",
          "name": "Large", "bendPoints": [[120, 40], [160, 40]] },
        { "from": "AssessRisk", "to": "Notify", "otherwise": true, "name": "Small" },
        { "from": "Approve", "to": "Notify", "bendPoints": [[280, 40]] } ] },
    { "name": "TravelRequest", "description": "Business travel approval",
      "category": "Administration", "organization": "Head Office", "processAdmin": "USER1",
      "auditMode": "Condensed", "inContainer": "TravelData", "outContainer": "TravelData",
      "validFrom": "2024-01-01 00:00:00", "created": "2024-01-02 00:00:00",
      "activities": [
        { "name": "Submit", "kind": "program", "program": "EnterTravel",
          "staff": { "roles": ["Clerk"] } },
        { "name": "ManagerApproval", "kind": "program", "program": "ApproveTravel",
          "staff": { "managerOfStarter": true }, "manualStart": true },
        { "name": "Book", "kind": "program", "program": "BookTravel",
          "staff": { "persons": ["USER5"] } } ],
      "connectors": [
        { "from": "Submit", "to": "ManagerApproval" },
        { "from": "ManagerApproval", "to": "Book", "condition": "Approved = 1" } ] },
    { "name": "OrderEntry", "description": "Enter, check and ship an order",
      "category": "Sales", "organization": "Sales", "processAdmin": "USER1",
      "auditMode": "NoAudit", "inContainer": "OrderData", "outContainer": "OrderData",
      "notifyAfter": 86400,
      "validFrom": "2024-01-01 00:00:00", "created": "2024-01-03 00:00:00",
      "activities": [
        { "name": "EnterOrder", "kind": "program", "program": "EnterOrder",
          "staff": { "roles": ["Clerk"] }, "layout": { "x": 40, "y": 80 } },
        { "name": "CheckStock", "kind": "program", "program": "CheckStock",
          "staff": { "organization": "Sales", "levelMin": 2 }, "layout": { "x": 160, "y": 20 } },
        { "name": "PrepareLabel", "kind": "program", "program": "PrepareLabel",
          "staff": { "starter": true }, "layout": { "x": 160, "y": 140, "nameX": 160, "nameY": 190 } },
        { "name": "Packing", "kind": "block", "exitCondition": "Shipped = 1",
          "layout": { "x": 280, "y": 80 },
          "activities": [
            { "name": "PackItem", "kind": "program", "program": "PackItem",
              "staff": { "roles": ["Clerk"], "levelMax": 2 }, "layout": { "x": 20, "y": 20 } } ] },
        { "name": "Ship", "kind": "program", "program": "ShipOrder",
          "staff": { "roles": ["Clerk"] }, "layout": { "x": 400, "y": 80 } } ],
      "connectors": [
        { "from": "EnterOrder", "to": "CheckStock", "name": "Stock", "bendPoints": [[40, 20]] },
        { "from": "EnterOrder", "to": "PrepareLabel", "name": "Label", "bendPoints": [[40, 140], [-10, 160]] },
        { "from": "CheckStock", "to": "Packing" },
        { "from": "PrepareLabel", "to": "Packing" },
        { "from": "Packing", "to": "Ship" } ] },
    { "name": "CreditEscalation", "description": "Credit request with a second opinion",
      "category": "Finance", "processAdmin": "ADMIN", "auditMode": "Full",
      "inContainer": "CreditData", "outContainer": "CreditData",
      "validFrom": "2024-01-01 00:00:00", "created": "2024-01-04 00:00:00",
      "activities": [
        { "name": "FirstOpinion", "kind": "process", "process": "CreditRequest",
          "staff": { "roles": ["Approver"] } },
        { "name": "SecondOpinion", "kind": "program", "program": "ApproveCredit",
          "staff": { "persons": ["USER4"] }, "manualStart": true } ],
      "connectors": [ { "from": "FirstOpinion", "to": "SecondOpinion" } ] },
    { "name": "CreditCheck", "description": "Scores a credit request without a person",
      "category": "Finance", "processAdmin": "ADMIN", "auditMode": "Filter",
      "inContainer": "CreditData", "outContainer": "CreditData",
      "validFrom": "2024-01-01 00:00:00", "created": "2024-01-05 00:00:00",
      "activities": [
        { "name": "AssessRisk", "kind": "program", "program": "AssessRisk",
          "staff": { "roles": ["Clerk"] } } ] }
  ]
})json";
}

}  // namespace pvxjsim
